#include "platform/ChmSitemap.h"

#include "platform/ChmHtml.h"

#include <vector>

namespace kalvetra {

QList<SitemapEntry> parseSitemap(const QString& html)
{
    QList<SitemapEntry> top;
    // The lists being filled, outermost first. A <UL> opens the children of the entry before
    // it; only the innermost list grows, so the pointers below it stay valid.
    std::vector<QList<SitemapEntry>*> levels{&top};
    bool inObject = false;
    SitemapEntry current;
    HtmlScanner scanner(html);
    for (HtmlScanner::Token token = scanner.next(); token != HtmlScanner::Token::End; token = scanner.next()) {
        if (token != HtmlScanner::Token::Tag)
            continue;
        const QString tag = scanner.tagName();
        if (tag == QLatin1String("ul")) {
            QList<SitemapEntry>* list = levels.back();
            levels.push_back(list->isEmpty() ? list : &list->last().children);
        } else if (tag == QLatin1String("/ul")) {
            if (levels.size() > 1)
                levels.pop_back();
        } else if (tag == QLatin1String("object")) {
            inObject = scanner.attribute(QStringLiteral("type")).compare(QLatin1String("text/sitemap"),
                                                                         Qt::CaseInsensitive) == 0;
            current = SitemapEntry();
        } else if (tag == QLatin1String("param") && inObject) {
            const QString name = scanner.attribute(QStringLiteral("name"));
            const QString value = scanner.attribute(QStringLiteral("value"));
            if (name.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0) {
                if (current.name.isEmpty())
                    current.name = value.trimmed();
            } else if (name.compare(QLatin1String("Local"), Qt::CaseInsensitive) == 0) {
                if (!value.trimmed().isEmpty())
                    current.locals.append(value.trimmed());
            }
        } else if (tag == QLatin1String("/object")) {
            if (inObject && (!current.name.isEmpty() || !current.locals.isEmpty())) {
                if (current.name.isEmpty())
                    current.name = current.locals.first();
                levels.back()->append(current);
            }
            inObject = false;
        }
    }
    return top;
}

}  // namespace kalvetra
