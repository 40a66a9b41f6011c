// SPDX-License-Identifier: GPL-3.0-or-later
#include "textfile.h"

#include "error.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>

namespace qv::text {

QString fromBytes(const QByteArray& bytes) {
    const qsizetype zero = bytes.indexOf('\0');
    return QString::fromLatin1(zero < 0 ? bytes : bytes.left(zero));
}

QByteArray toBytes(const QString& holder) {
    return holder.toLatin1();
}

QString openErrorText(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot open file \"%1\". %2")
        .arg(QFileInfo(path).absoluteFilePath(), reason);
}

QString createErrorText(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot create file \"%1\". %2")
        .arg(QFileInfo(path).absoluteFilePath(), reason);
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(openErrorText(path, file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Error(openErrorText(path, file.errorString()));
    return bytes;
}

QString writeFailure(const QIODevice& file) {
    return errno ? QString::fromLocal8Bit(std::strerror(errno)) : file.errorString();
}

std::optional<QString> replaceFile(const QString& path, const QByteArray& bytes) {
    // Unbuffered: a buffered save file that cannot flush (a full disk) still
    // commits, and leaves an empty file in place of the old one.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    errno = 0;
    if (file.write(bytes) != bytes.size())
        return writeFailure(file);
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    if (const std::optional<QString> reason = replaceFile(path, bytes))
        throw Error(createErrorText(path, *reason));
}

QString loadFile(const QString& path) {
    return fromBytes(readBytes(path));
}

void saveFile(const QString& path, const QString& holder) {
    writeBytes(path, toBytes(holder));
}

QStringList lines(const QString& holder) {
    if (holder.isEmpty())
        return {};
    QStringList result = holder.split(QStringLiteral("\r\n"));
    if (holder.endsWith(QStringLiteral("\r\n")))
        result.removeLast();
    return result;
}

QString joinLines(const QStringList& lines) {
    QString result;
    for (const QString& line : lines)
        result += line + QStringLiteral("\r\n");
    return result;
}

QString display(const QString& holder) {
    const QByteArray bytes = toBytes(holder);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8.decode(bytes);
    return utf8.hasError() ? holder : decoded;
}

QString fromUser(const QString& typed) {
    return QString::fromLatin1(typed.toUtf8());
}

} // namespace qv::text
