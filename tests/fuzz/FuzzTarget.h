// What every fuzz target shares: the libFuzzer entry points, the Qt set-up the libraries
// need (offscreen platform, the test fonts), a private scratch folder, and a check that
// stops the run as a crash does, so that a broken property is kept like any other crash.
// QtGui only.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace kalvetra::fuzz {

// Creates the QGuiApplication once (fonts and images need it). Call from LLVMFuzzerInitialize.
void startQt(int* argc, char*** argv);

// A folder of this process for files the target writes; removed at exit.
QString scratchPath(const QString& name);

// Writes `bytes` to `path`, replacing what was there.
void writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

// The input cut at NUL bytes; `limit` fields at most, the last one keeping the rest.
QList<QByteArray> splitFields(const QByteArray& input, qsizetype limit);

// Aborts with `what` on stderr when `condition` is false.
void require(bool condition, const char* what);

}  // namespace kalvetra::fuzz
