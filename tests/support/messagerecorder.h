// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "messages.h"

#include <QList>
#include <QStringList>

namespace qv {

// Captures every message while it lives and answers questions from a script
// (No once the script is used up). Restores the previous sink when destroyed.
class MessageRecorder : public MessageSink {
public:
    MessageRecorder();
    ~MessageRecorder() override;
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    void show(const MessageRecord& message) override;
    bool ask(const MessageRecord& question) override;

    QStringList texts() const;
    void clear() { records.clear(); }

    QList<MessageRecord> records;
    QList<bool> answers;

private:
    MessageSink* previous_;
};

} // namespace qv
