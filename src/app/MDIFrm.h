// The program's frame window: a multiple-document area that holds the settings window,
// the image windows and the code table, and shows the menu bar of the active child.
#pragma once

#include <QMainWindow>

class QMdiArea;

namespace kalvetra {

class MDIFrm : public QMainWindow {
    Q_OBJECT
public:
    explicit MDIFrm(QWidget* parent = nullptr);

    QMdiArea* mdiArea() const { return m_area; }

private:
    QMdiArea* m_area = nullptr;
};

}  // namespace kalvetra
