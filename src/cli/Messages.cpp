#include "Messages.h"

#include "imagefile/ImageSave.h"

#include <QLocale>

#include <cerrno>
#include <cstring>

namespace kalvetra::cli {
namespace {

bool g_japanese = false;

struct Reason {
    int number;
    const char* english;
    const char* japanese;
};

// The reasons a user of this command meets. NOTE: the C library's own texts are not used
// for them, since whether it has a Japanese catalogue depends on the installation.
constexpr Reason Reasons[] = {
    {ENOSPC, "no space left on the disk", "ディスクの空き容量が不足しています"},
    {EDQUOT, "the disk quota is used up", "ディスクの割り当て容量を超えました"},
    {EACCES, "permission denied", "アクセスが拒否されました"},
    {EPERM, "operation not permitted", "操作が許可されていません"},
    {EROFS, "the file system is read-only", "読み取り専用のファイルシステムです"},
    {EPIPE, "the reading end of the pipe was closed", "パイプの読み手が閉じました"},
    {EBADF, "standard output is closed", "標準出力が閉じられています"},
    {EIO, "input/output error", "入出力エラーです"},
    {ENOENT, "no such file or folder", "ファイルまたはフォルダがありません"},
    {EISDIR, "it is a folder", "フォルダです"},
    {ENXIO, "no reader on the other end", "読み手がいません"},
};

}  // namespace

void useJapaneseMessages(bool japanese)
{
    g_japanese = japanese;
}

bool japaneseMessagesFromLocale()
{
    // LC_ALL, LC_MESSAGES and LANG in that order, as the C library reads them.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QByteArray value = qgetenv(name);
        if (!value.isEmpty())
            return value.startsWith("ja");
    }
    return false;
}

bool japaneseMessages()
{
    return g_japanese;
}

QString say(const QString& english, const QString& japanese)
{
    return g_japanese ? japanese : english;
}

QString systemReason(int errorNumber)
{
    for (const Reason& r : Reasons)
        if (r.number == errorNumber)
            return say(QString::fromUtf8(r.english), QString::fromUtf8(r.japanese));
    const QString number = QString::number(errorNumber);
    return say(QStringLiteral("system error %1 (%2)").arg(number, QString::fromLocal8Bit(strerrordesc_np(errorNumber))),
               QStringLiteral("システムエラー %1").arg(number));
}

QString saveReason(int saveErrorNumber, const QString& japaneseDescription)
{
    namespace e = imagefile::saveError;
    if (g_japanese)
        return japaneseDescription;
    switch (saveErrorNumber) {
    case e::OutOfMemory: return QStringLiteral("not enough memory");
    case e::DiskFull: return QStringLiteral("no space left on the disk");
    case e::PermissionDenied: return QStringLiteral("permission denied");
    case e::PathNotFound: return QStringLiteral("the folder does not exist");
    case e::InvalidPicture: return QStringLiteral("the picture cannot be encoded");
    default: return QStringLiteral("the path cannot be written");
    }
}

}  // namespace kalvetra::cli
