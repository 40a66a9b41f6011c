// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <exception>
#include <utility>

namespace qv {

// An error that ends the handler that ran into it; its text is shown in the
// standard error box by the handler's boundary (guarded(), boundary.h).
class Error : public std::exception {
public:
    explicit Error(QString text) : text_(std::move(text)), utf8_(text_.toUtf8()) {}
    const QString& text() const noexcept { return text_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString text_;
    QByteArray utf8_;
};

// A blocking operation was cut short because the application is quitting.
// The boundary ends the handler silently: nobody is left to read a message.
class Cancelled : public Error {
public:
    using Error::Error;
};

// Keeps a handler from running nested inside itself while a blocking
// operation processes events: the inner call sees a false guard and returns.
class NestGuard {
public:
    explicit NestGuard(bool& busy) : busy_(busy), entered_(!busy) { busy_ = true; }
    ~NestGuard() {
        if (entered_)
            busy_ = false;
    }
    NestGuard(const NestGuard&) = delete;
    NestGuard& operator=(const NestGuard&) = delete;
    explicit operator bool() const { return entered_; }

private:
    bool& busy_;
    bool entered_;
};

} // namespace qv
