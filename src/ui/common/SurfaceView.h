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

    // Device pixels per pixel of the screen the view is on, rounded: above 1 its owner may
    // give it a sharp drawing of what the surface holds.
    int sharpFactor() const;
    // `sharp` (device pixel ratio sharpFactor()) stands for the surface's present content on
    // screen until the surface is drawn on again.
    void showSharp(const QImage& sharp);

signals:
    void resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    Surface m_surface;
    int m_border = 2;
    QImage m_sharp;
    qint64 m_sharpOf = 0;  // the surface image's cache key when m_sharp was made
};

}  // namespace kalvetra
