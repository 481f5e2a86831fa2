#include "MDIFrm.h"

#include <QApplication>
#include <QMdiArea>
#include <QPalette>

namespace kalvetra {

namespace {
// The client area as designed: 9390 x 6885 twips, 626 x 459 pixels at 96 dpi.
constexpr int ClientWidthTwips = 9390;
constexpr int ClientHeightTwips = 6885;
}  // namespace

MDIFrm::MDIFrm(QWidget* parent) : QMainWindow(parent), m_area(new QMdiArea(this))
{
    setWindowTitle(QStringLiteral("カルベトラ"));
    // The workspace takes the system colour for application workspaces.
    m_area->setBackground(QApplication::palette().brush(QPalette::Dark));
    setCentralWidget(m_area);
    const double twipsPerPixel = 1440.0 / logicalDpiX();
    resize(static_cast<int>(ClientWidthTwips / twipsPerPixel + 0.5), static_cast<int>(ClientHeightTwips / twipsPerPixel + 0.5));
}

}  // namespace kalvetra
