// kalvetra-render: Kalvetra's drawing without a window, for scripts and batches.
#include "BatchCaptions.h"
#include "RenderCommand.h"
#include "RenderOptions.h"

#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv)
{
    // No display is needed: the offscreen platform gives fonts and images.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
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
            << "Try 'kalvetra-render --help'.\n";
        return kalvetra::cli::BadInput;
    }
    const auto& options = std::get<kalvetra::cli::RenderOptions>(parsed);
    if (options.help) {
        out << kalvetra::cli::usageText();
        return kalvetra::cli::Success;
    }
    return kalvetra::cli::runRender(options, err);
}
