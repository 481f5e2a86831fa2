#include "Shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace kalvetra::Shell {
namespace {

std::function<int(const QString&)>& opener()
{
    static std::function<int(const QString&)> f;
    return f;
}

constexpr int Opened = 33;
constexpr int NoAssociation = 31;

}  // namespace

int open(const QString& address)
{
    if (opener())
        return opener()(address);
    return QDesktopServices::openUrl(QUrl::fromUserInput(address)) ? Opened : NoAssociation;
}

void setOpener(std::function<int(const QString&)> f)
{
    opener() = std::move(f);
}

}  // namespace kalvetra::Shell
