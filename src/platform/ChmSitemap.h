// The contents (.hhc) and index (.hhk) of a help file: HTML lists of sitemap objects, each a
// name and the pages it leads to, nested by <UL>. QtCore only.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace kalvetra {

struct SitemapEntry {
    QString name;
    QStringList locals;  // the pages, as written ("html/kalv2abc.htm"); empty for a heading
    QList<SitemapEntry> children;
};

// Entries of `html` in document order. Anything that is not a sitemap object is passed over,
// so a damaged list gives what could be read of it.
QList<SitemapEntry> parseSitemap(const QString& html);

}  // namespace kalvetra
