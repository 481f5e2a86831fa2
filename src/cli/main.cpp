// kalvetra-render: Kalvetra's drawing without a window, for scripts and batches.
#include "Messages.h"
#include "BatchCaptions.h"
#include "RenderCommand.h"
#include "RenderOptions.h"

#include <QGuiApplication>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Whether standard output was open at start. A closed one is held by /dev/null, so that no
// file the libraries open takes its number and receives the picture.
bool holdStandardOutput()
{
    if (::fcntl(STDOUT_FILENO, F_GETFD) != -1)
        return true;
    const int fd = ::open("/dev/null", O_WRONLY);
    if (fd >= 0 && fd != STDOUT_FILENO) {
        ::dup2(fd, STDOUT_FILENO);
        ::close(fd);
    }
    return false;
}

// The command on the arguments; its messages are flushed when it returns.
int runCommand(bool standardOutputOpen)
{
    QTextStream err(stderr);
    QTextStream out(stdout);

    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (kalvetra::cli::isBatchCommand(arguments)) {
        const auto batch = kalvetra::cli::parseBatchOptions(arguments);
        if (const auto* error = std::get_if<kalvetra::cli::BatchError>(&batch)) {
            err << "kalvetra-render: " << error->message << "\n"
                << "Try 'kalvetra-render --help'.\n";
            return kalvetra::cli::BadInput;
        }
        const auto& options = std::get<kalvetra::cli::BatchOptions>(batch);
        if (options.partCount > 1)
            return kalvetra::cli::runBatchPart(options, out);
        return kalvetra::cli::runBatch(options, QCoreApplication::applicationFilePath(), err);
    }
    const auto parsed = kalvetra::cli::parseRenderOptions(arguments);
    if (const auto* error = std::get_if<kalvetra::cli::ParseError>(&parsed)) {
        err << "kalvetra-render: " << error->message << "\n"
            << kalvetra::cli::say(QStringLiteral("Try 'kalvetra-render --help'."),
                                  QStringLiteral("使い方は 'kalvetra-render --help' で表示されます。"))
            << "\n";
        return kalvetra::cli::BadInput;
    }
    const auto& options = std::get<kalvetra::cli::RenderOptions>(parsed);
    if (options.help) {
        out << kalvetra::cli::usageText();
        return kalvetra::cli::Success;
    }
    return kalvetra::cli::runRender(options, err, standardOutputOpen);
}

}  // namespace

int main(int argc, char** argv)
{
    const bool standardOutputOpen = holdStandardOutput();
    // A reader that goes away (`| head -c 10`) fails the write with status 1, as a full disk
    // does, instead of ending the process by the signal.
    std::signal(SIGPIPE, SIG_IGN);
    kalvetra::cli::useJapaneseMessages(kalvetra::cli::japaneseMessagesFromLocale());

    // No display is needed: the offscreen platform gives fonts and images.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int status = runCommand(standardOutputOpen);
    // NOTE: every file is written and closed by now. Qt's teardown would load the whole font
    // configuration only to free it again - as long as a small drawing takes - and the kernel
    // takes the memory back at once.
    std::fflush(nullptr);
    std::_Exit(status);
}
