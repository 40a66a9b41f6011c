// SPDX-License-Identifier: GPL-3.0-or-later
#include "messagerecorder.h"

namespace qv {

MessageRecorder::MessageRecorder() : previous_(messages::setSink(this)) {}

MessageRecorder::~MessageRecorder() {
    messages::setSink(previous_);
}

void MessageRecorder::show(const MessageRecord& message) {
    records.append(message);
}

bool MessageRecorder::ask(const MessageRecord& question) {
    records.append(question);
    return answers.isEmpty() ? false : answers.takeFirst();
}

QStringList MessageRecorder::texts() const {
    QStringList result;
    for (const auto& r : records)
        result.append(r.text);
    return result;
}

} // namespace qv
