#include "MDIFrm.h"

#include "AppIcon.h"

#include "ui/common/MdiChild.h"
#include "ui/common/Twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPalette>

namespace kalvetra {

namespace {
// The client area as designed: 9390 x 6885 twips, 626 x 459 pixels at 96 dpi.
constexpr int ClientWidthTwips = 9390;
constexpr int ClientHeightTwips = 6885;

// A child window's title bar acts on the button under the pointer as it last saw it move.
// A question box shown over it (a close that was cancelled) makes it forget that, and a click
// on the same spot did nothing until the pointer moved: each press first tells it where it is.
class TitleBarPointer : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress) {
            const auto* press = static_cast<QMouseEvent*>(event);
            QMouseEvent move(QEvent::MouseMove, press->position(), press->scenePosition(), press->globalPosition(),
                             Qt::NoButton, Qt::NoButton, press->modifiers(), press->pointingDevice());
            QCoreApplication::sendEvent(watched, &move);
        }
        return QObject::eventFilter(watched, event);
    }
};
}  // namespace

MDIFrm::MDIFrm(QWidget* parent) : QMainWindow(parent), m_area(new QMdiArea(this))
{
    setWindowTitle(QStringLiteral("カルベトラ"));
    setWindowIcon(programIcon());
    // The workspace takes the system colour for application workspaces.
    m_area->setBackground(QApplication::palette().brush(QPalette::Dark));
    // A child that lies outside the frame's inside stays within reach, as in any MDI frame.
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_area);
    sizeClientArea();
    connect(m_area, &QMdiArea::subWindowActivated, this, &MDIFrm::showMenusOf);
}

MDIFrm::~MDIFrm()
{
    // The children go one by one: none of them is to be activated on the way.
    disconnect(m_area, nullptr, this, nullptr);
}

void MDIFrm::sizeClientArea()
{
    const int width = twipsToPixels(ClientWidthTwips);
    resize(width, twipsToPixels(ClientHeightTwips) + menuBar()->heightForWidth(width));
}

QMdiSubWindow* MDIFrm::addChild(QWidget* child, bool fixedSize)
{
    QMdiSubWindow* window = m_area->addSubWindow(child);
    window->installEventFilter(new TitleBarPointer(window));
    if (fixedSize) {
        // A fixed dialog border: neither minimise nor maximise, no resizing.
        window->setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
        window->adjustSize();
        window->setFixedSize(window->sizeHint());
    } else {
        window->adjustSize();
    }
    return window;
}

void MDIFrm::showMenusOf(QMdiSubWindow* window)
{
    // Null when the frame itself loses the focus: the last child's menus stay.
    if (!window)
        return;
    auto* child = dynamic_cast<MdiChild*>(window->widget());
    if (!child)
        return;
    // A child without menus of its own (the code table) leaves the last menus in place, so
    // that the program's commands stay within reach. NOTE: the shortcuts of the menus shown
    // are the frame's window shortcuts (Qt's default context) and work while the menus are in
    // the bar, that is while their window is active, wherever its focus lies. A context
    // narrowed to the child never fired: an active child's focus lies in its subwindow frame.
    if (!child->menus().isEmpty()) {
        menuBar()->clear();
        for (QMenu* menu : child->menus())
            menuBar()->addMenu(menu);
        // The first menus give the bar its height: the client area below it is sized again.
        if (!m_clientAreaSized) {
            m_clientAreaSized = true;
            sizeClientArea();
        }
    }
    child->activated();
}

void MDIFrm::closeEvent(QCloseEvent* event)
{
    // Every child but the settings window is asked first; any of them may cancel the exit.
    for (QMdiSubWindow* window : m_area->subWindowList()) {
        if (window->property("settingsWindow").toBool())
            continue;
        if (!window->close()) {
            event->ignore();
            return;
        }
    }
    event->accept();
    emit closeRequested();
}

}  // namespace kalvetra
