// A picture box on screen: shows a Surface inside a sunken two-pixel border, and reports
// its mouse to whoever owns it. The owner draws into the surface; the view only shows it.
#pragma once

#include "render/Surface.h"

#include <QWidget>

namespace kalvetra {

class SurfaceView : public QWidget {
    Q_OBJECT
public:
    explicit SurfaceView(QWidget* parent = nullptr, bool bordered = true);

    Surface& surface() { return m_surface; }
    const Surface& surface() const { return m_surface; }
    // The inner size (ScaleWidth x ScaleHeight): the widget less its border.
    QSize innerSize() const;
    int borderWidth() const { return m_border; }

signals:
    void resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    Surface m_surface;
    int m_border = 2;
};

}  // namespace kalvetra
