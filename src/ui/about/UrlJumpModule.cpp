#include "UrlJumpModule.h"

#include "platform/Dialogs.h"
#include "platform/Shell.h"

namespace kalvetra {

QString shellErrorMessage(int code)
{
    // NOTE: the half-width katakana are the messages' own spelling.
    switch (code) {
    case 0:
    case 8:
        return QStringLiteral("ﾒﾓﾘが足りません。");
    case 2:
        return QStringLiteral("指定されたﾌｧｲﾙが見つかりません。");
    case 3:
        return QStringLiteral("指定されたﾊﾟｽが見つかりません。");
    case 5:
        return QStringLiteral("ｵﾍﾟﾚｰﾃｨﾝｸﾞｼｽﾃﾑは指定されたﾌｧｲﾙへのｱｸｾｽを拒否しました。");
    case 26:
        return QStringLiteral("共有違反が発生しました。");
    case 27:
        return QStringLiteral("ﾌｧｲﾙ名の関連付けが不十分または不正です。");
    case 28:
        return QStringLiteral("DDE変換が要求時間切れで処理されませんでした。");
    case 29:
        return QStringLiteral("DDE変換が失敗しました。");
    case 30:
        return QStringLiteral("DDE変換が処理できませんでした。");
    case 31:
        return QStringLiteral("指定されたﾌｧｲﾙの拡張子にはｱﾌﾟﾘｹｰｼｮﾝが関連付けられていません。");
    case 32:
        return QStringLiteral("指定されたﾀﾞｲﾅﾐｯｸﾘﾝｸﾗｲﾌﾞﾗﾘが見つかりません。");
    default:
        return {};
    }
}

bool OpenUrl(const QString& address, Dialogs& dialogs, QObject* owner)
{
    const int result = Shell::open(address);
    if (result > 32)
        return true;
    const QString message = shellErrorMessage(result);
    if (!message.isEmpty())
        dialogs.message(owner, message, QStringLiteral("ｴﾗｰ"), MessageIcon::Stop, MessageButtons::Ok);
    return false;
}

}  // namespace kalvetra
