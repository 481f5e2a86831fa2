// The entry of a font box for a face, whatever language the desktop lists the face in.
#pragma once

#include "render/FontFamilies.h"

#include <QComboBox>

namespace kalvetra::test {

inline int fontEntry(const QComboBox* box, const QString& face)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    const std::optional<qsizetype> i = fontListIndex(items, face);
    return i ? static_cast<int>(*i) : -1;
}

}  // namespace kalvetra::test
