#include "QtTranslations.h"

#include <QCoreApplication>
#include <QHash>
#include <QLibraryInfo>
#include <QTranslator>

namespace kalvetra {
namespace {

// The words Qt's Japanese catalogue leaves in English, in the program's own Japanese. Asked
// only after Qt's catalogue, so a later catalogue that has them wins.
class MissingQtWords : public QTranslator {
public:
    explicit MissingQtWords(QObject* parent) : QTranslator(parent) {}

    bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* sourceText, const char* disambiguation, int n) const override
    {
        Q_UNUSED(context);
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        // By the English word alone: each means the same wherever Qt uses it.
        static const QHash<QByteArray, QString> words = {
            {"Folder", QStringLiteral("フォルダー")},
            {"Pages", QStringLiteral("ページ")},
            {"Double Sided Printing", QStringLiteral("両面印刷")},
            {"Off", QStringLiteral("オフ")},
            {"Long side binding", QStringLiteral("長辺綴じ")},
            {"Short side binding", QStringLiteral("短辺綴じ")},
        };
        return words.value(QByteArray(sourceText));
    }
};

}  // namespace

bool loadQtJapaneseTranslations(QCoreApplication& app)
{
    // Translators are asked from the last installed: the program's words go in first.
    QCoreApplication::installTranslator(new MissingQtWords(&app));
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace kalvetra
