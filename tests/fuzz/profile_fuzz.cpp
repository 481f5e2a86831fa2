// Private-profile files: any bytes as a file, read, one key written, read back.
// Input: section NUL key NUL value NUL file contents (missing fields take a settings key).
#include "FuzzTarget.h"

#include "platform/Cp932.h"
#include "platform/ProfileFile.h"

using namespace kalvetra;

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f';
}

// A value that reads back exactly as written: no blanks or quotes around it to be removed,
// short enough not to be cut, and every character in CP932 (nothing turned into "?").
bool readsBackUnchanged(const QString& value)
{
    const QByteArray bytes = cp932::encode(value);
    if (bytes.size() > profile::MaxValueBytes || cp932::decode(bytes) != value)
        return false;
    if (value.isEmpty())
        return true;
    if (isBlank(value.front()) || isBlank(value.back()))
        return false;
    const QChar q = value.front();
    return !(value.size() >= 2 && (q == u'"' || q == u'\'') && value.back() == q);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::startQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QList<QByteArray> fields =
        fuzz::splitFields(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), 4);
    const QString section = fields.size() > 1 ? cp932::decode(fields[0]) : QStringLiteral("Font");
    const QString key = fields.size() > 2 ? cp932::decode(fields[1]) : QStringLiteral("FontName");
    const QString value = fields.size() > 3 ? cp932::decode(fields[2]) : QStringLiteral("ＭＳ Ｐゴシック");
    const QByteArray contents = fields.back();

    const QString path = fuzz::scratchPath(QStringLiteral("profile.ini"));
    fuzz::writeFile(path, contents);

    const QString before = profile::readString(path, section, key);
    fuzz::require(cp932::encode(before).size() <= profile::MaxValueBytes, "a value longer than 1023 bytes was read");
    const QList<QString> several = profile::readStrings(path, {{section, key}, {QStringLiteral("Color"), key}});
    fuzz::require(several.size() == 2 && several[0] == before, "reading several keys differs from reading one");
    fuzz::require(fuzz::readFile(path) == contents, "reading changed the file");

    if (!profile::writeString(path, section, key, value)) {
        fuzz::require(fuzz::readFile(path) == contents, "a refused write changed the file");
        return 0;
    }
    const QByteArray written = fuzz::readFile(path);
    if (readsBackUnchanged(value))
        fuzz::require(profile::readString(path, section, key) == value, "a written value did not read back");
    // Writing the same value again finds nothing to change.
    fuzz::require(profile::writeString(path, section, key, value), "the same write failed the second time");
    fuzz::require(fuzz::readFile(path) == written, "writing the same value again changed the file");
    return 0;
}
