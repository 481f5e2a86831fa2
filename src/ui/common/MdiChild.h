// What the frame needs of its child windows: the menus it shows while the child is active.
#pragma once

#include <QList>

class QMenu;

namespace kalvetra {

class MdiChild {
public:
    virtual ~MdiChild() = default;
    virtual QList<QMenu*> menus() const = 0;
    // The child became the active window of the frame.
    virtual void activated() {}
};

}  // namespace kalvetra
