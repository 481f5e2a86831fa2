// The program's frame window: a multiple-document area that holds the settings window,
// the image windows and the code table, and shows the menu bar of the active child.
#pragma once

#include <QMainWindow>

class QMdiArea;
class QMdiSubWindow;

namespace kalvetra {

class MDIFrm : public QMainWindow {
    Q_OBJECT
public:
    explicit MDIFrm(QWidget* parent = nullptr);
    ~MDIFrm() override;

    QMdiArea* mdiArea() const { return m_area; }
    // Puts a window into the frame as a child; `fixedSize` children cannot be resized.
    QMdiSubWindow* addChild(QWidget* child, bool fixedSize);

signals:
    // The frame was asked to close and every other child agreed: the settings window's
    // unload ends the program now.
    void closeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showMenusOf(QMdiSubWindow* window);
    // The designed client area below the menu bar.
    void sizeClientArea();

    QMdiArea* m_area = nullptr;
    bool m_clientAreaSized = false;  // sized with the height of a menu bar that holds menus
};

}  // namespace kalvetra
