// SPDX-License-Identifier: GPL-3.0-or-later
#include "messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

namespace qv {
namespace {

// Shows real, modal boxes over the active window.
class BoxSink : public MessageSink {
public:
    void show(const MessageRecord& m) override {
        QMessageBox box(icon(m.kind), m.title, m.text, QMessageBox::Ok,
                        QApplication::activeWindow());
        box.exec();
    }
    bool ask(const MessageRecord& m) override {
        QMessageBox box(QMessageBox::Warning, m.title, m.text, QMessageBox::Yes | QMessageBox::No,
                        QApplication::activeWindow());
        return box.exec() == QMessageBox::Yes;
    }

private:
    static QMessageBox::Icon icon(MessageKind kind) {
        switch (kind) {
        case MessageKind::Information:
            return QMessageBox::Information;
        case MessageKind::Warning:
        case MessageKind::Question:
            return QMessageBox::Warning;
        case MessageKind::Error:
            return QMessageBox::Critical;
        case MessageKind::Plain:
            break;
        }
        return QMessageBox::NoIcon;
    }
};

BoxSink realBoxes;
MessageSink* sink = &realBoxes;

void post(MessageKind kind, const QString& title, const QString& text) {
    sink->show({kind, title, text});
}

} // namespace

namespace messages {
void plain(const QString& text) {
    post(MessageKind::Plain, kAppTitle, text);
}
void information(const QString& text) {
    post(MessageKind::Information, QStringLiteral("Information"), text);
}
void warning(const QString& text) {
    post(MessageKind::Warning, QStringLiteral("Warning"), text);
}
bool question(const QString& text) {
    return sink->ask({MessageKind::Question, QStringLiteral("Warning"), text});
}
void error(const QString& text) {
    post(MessageKind::Error, kAppTitle, text);
}

MessageSink* setSink(MessageSink* next) {
    MessageSink* previous = sink == &realBoxes ? nullptr : sink;
    sink = next ? next : &realBoxes;
    return previous;
}
} // namespace messages

} // namespace qv
