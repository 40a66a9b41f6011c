// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace qv {

// The application title; message boxes without a title of their own carry it.
inline const QString kAppTitle = QStringLiteral("Quorvell Radio Player");

enum class MessageKind { Plain, Information, Warning, Question, Error };

struct MessageRecord {
    MessageKind kind;
    QString title;
    QString text;
};

// Where message boxes go. The real one shows modal boxes; tests install a recorder.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void show(const MessageRecord& message) = 0;
    // A Yes/No question; true for Yes.
    virtual bool ask(const MessageRecord& question) = 0;
};

namespace messages {
// Plain box with OK, titled with the application title.
void plain(const QString& text);
// "Information" box with the information icon and OK.
void information(const QString& text);
// "Warning" box with the warning icon and OK.
void warning(const QString& text);
// "Warning" box with the warning icon, Yes and No; true for Yes.
bool question(const QString& text);
// The standard error box: application title, error icon, OK.
void error(const QString& text);

// Installs a sink and returns the previous one; nullptr restores the real boxes.
MessageSink* setSink(MessageSink* sink);
} // namespace messages

} // namespace qv
