// SPDX-License-Identifier: GPL-3.0-or-later
#include "demoportal.h"
#include "fakemediaplayer.h"
#include "filedialog.h"
#include "form1.h"
#include "inifile.h"
#include "listrows.h"
#include "messagerecorder.h"
#include "paths.h"
#include "program.h"
#include "secondarywindows.h"
#include "servers.h"
#include "testfiles.h"
#include "testportal.h"
#include "textfile.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

using qv::Form1;

namespace {

const QByteArray kMine = "Old\r\nold\r\nOther\r\nother\r\n";

// A small tmpfs mounted over a folder while it lives (needs root).
class Volume {
public:
    Volume(const QString& at, const char* size) : at_(at) {
        const QByteArray options = QByteArray("size=") + size;
        mounted_ = ::mount("tmpfs", qPrintable(at), "tmpfs", 0, options.constData()) == 0;
    }
    ~Volume() {
        if (mounted_)
            ::umount2(qPrintable(at_), MNT_DETACH);
    }
    Volume(const Volume&) = delete;
    Volume& operator=(const Volume&) = delete;

    bool mounted() const { return mounted_; }
    bool makeReadOnly() const {
        return ::mount("tmpfs", qPrintable(at_), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    // Fills what is left, so the next byte written fails.
    void fill() const {
        const int fd =
            ::open(qPrintable(at_ + QStringLiteral("/filler")), O_WRONLY | O_CREAT, 0644);
        const QByteArray block(4096, 'x');
        for (qsizetype size = block.size(); fd >= 0 && size > 0;) {
            if (::write(fd, block.constData(), std::size_t(size)) <= 0)
                size /= 2; // the last partly used page too
        }
        ::close(fd);
    }

private:
    QString at_;
    bool mounted_ = false;
};

// The child of killedDuringSave: replaces the file again and again with one
// of two contents, each much larger than one write.
[[noreturn]] void saveForever(const QString& path) {
    const QString a(1 << 20, QLatin1Char('a'));
    const QString b(1 << 20, QLatin1Char('b'));
    for (int i = 0;; ++i) {
        qv::text::saveFile(path, i % 2 ? b : a);
        qv::IniFile ini(path + QStringLiteral(".ini"));
        ini.writeString(QStringLiteral("General"), QStringLiteral("Value"), i % 2 ? b : a);
        // Tells the test that both files have been saved once more.
        if (::write(STDOUT_FILENO, "+", 1) != 1)
            _exit(1); // the test has gone
    }
}

} // namespace

// Writes that fail (read-only playlists, a full disk, a missing "temp") name
// the file and leave every earlier file as it was.
class TestFileFaults : public QObject {
    Q_OBJECT

private:
    demo::Portal portal_{portalWithoutRadio()};
    QTemporaryDir dir_;
    std::unique_ptr<Volume> volume_;
    std::unique_ptr<qv::MessageRecorder> messages_;
    std::unique_ptr<Form1> form1_;
    std::optional<QString> chosenFile_;

    QString path(const QString& relative) const { return dir_.filePath(relative); }

    // An installation in dir_ (or on the volume mounted there) with one own
    // playlist "Mine", then the program started on it.
    void install() {
        QDir root(dir_.path());
        for (const char* sub : {"Playlists", "temp", "updater", "skins"})
            root.mkpath(QLatin1String(sub));
        // Two, so deleting one still has a name to write.
        writeAll(path("Playlists/playlists.ini"), "Mine\r\nSecond\r\n");
        writeAll(path("Playlists/Mine.qvl"), kMine);
        writeAll(path("Playlists/Second.qvl"), {});
        writeAll(path("updater/version.ini"), "1.36\r\n");
        writeAll(path("settings.ini"), "[General]\r\nReportstarts=0\r\n");
        writeAll(path("temp/text.txt"), "last page");
        writeAll(path("temp/favorites.txt"), "last favourites");
        writeAll(path("exported.qvl"), "exported before");
        qv::paths::setExeDir(dir_.path());
        qv::paths::setWorkDir(dir_.path());
        const QString ini = path("servers.ini");
        portal_.writeServersIni(ini.toStdString());
        qv::Servers::setCurrent(qv::Servers::load(ini));
    }

    void start() {
        form1_ = qv::startProgram(std::make_unique<qv::FakeMediaPlayer>(), qv::UpdateCheck::Skip);
        form1_->ListBox1->clear();
        qv::rows::append(*form1_->ListBox1, QStringLiteral("Song 1"));
        form1_->ListBox2 = QStringList{QStringLiteral("http://x/1")};
        form1_->ListBox1->setCurrentRow(0);
    }

    // Every command that writes, each expected to fail with a message naming
    // a file under the installation.
    void everyWriteFails() {
        const auto expectFailure = [&](const char* what) {
            const QStringList texts = messages_->texts();
            QVERIFY2(texts.size() == 1, qPrintable(what + (": " + texts.join(" | "))));
            QVERIFY2(texts.first().startsWith("Cannot create file \"" + dir_.path()) ||
                         texts.first().startsWith("Unable to write to " + dir_.path()),
                     qPrintable(what + (": " + texts.first())));
            messages_->clear();
        };

        // New playlist.
        form1_->sBitBtn12Click();
        form1_->windows.form12->sEdit1->setText(QStringLiteral("New"));
        QTest::mouseClick(form1_->windows.form12->sButton1, Qt::LeftButton);
        expectFailure("new playlist");

        // Add the selected result to "Mine".
        form1_->PopupMenu2Popup(
            form1_->ListBox1->visualItemRect(form1_->ListBox1->item(0)).center());
        form1_->AddtoPlaylist1->actions().at(0)->trigger();
        expectFailure("add to playlist");

        // Move, delete an entry, delete the playlist.
        form1_->sComboBox3->setEditText(QStringLiteral("Mine"));
        form1_->sButton4Click();
        QCOMPARE(form1_->sListBox1->count(), 2);
        form1_->sListBox1->setCurrentRow(1);
        form1_->Moveup1Click();
        expectFailure("move up");
        QCOMPARE(form1_->ListBox3, (QStringList{"old", "other"})); // the list shows the file
        form1_->sListBox1->setCurrentRow(0);
        form1_->Delete1Click();
        expectFailure("delete entry");
        QCOMPARE(form1_->sListBox1->count(), 2);
        messages_->answers = {true};
        form1_->sBitBtn13Click();
        messages_->records.removeFirst(); // the question
        expectFailure("delete playlist");

        // Import a playlist file.
        chosenFile_ = path("import.qvl");
        form1_->Importplaylist1Click();
        form1_->windows.form15->sEdit1->setText(QStringLiteral("Imported"));
        QTest::mouseClick(form1_->windows.form15->sButton1, Qt::LeftButton);
        expectFailure("import");
    }

private slots:
    void initTestCase() {
        if (geteuid() != 0)
            QSKIP("mounting a small file system needs root");
        portal_.start();
        qv::FileDialog::setScript([this](const qv::FileDialog&) { return chosenFile_; });
    }

    void init() { messages_ = std::make_unique<qv::MessageRecorder>(); }

    void cleanup() {
        form1_.reset();
        messages_.reset();
        volume_.reset();
        qv::paths::setExeDir({});
        qv::paths::setWorkDir({});
        qv::Servers::setCurrent(qv::Servers::defaults());
        QDir(dir_.path()).removeRecursively();
        QDir().mkpath(dir_.path());
    }

    void readOnlyPlaylists() {
        install();
        writeAll(path("import.qvl"), "I\r\ni\r\n");
        QTemporaryDir keep;
        QDir(path("Playlists")).rename(path("Playlists"), keep.filePath("Playlists"));
        QDir().mkpath(path("Playlists"));
        volume_ = std::make_unique<Volume>(path("Playlists"), "1m");
        QVERIFY(volume_->mounted());
        for (const char* name : {"playlists.ini", "Mine.qvl", "Second.qvl"})
            QVERIFY(QFile::copy(keep.filePath("Playlists/") + name, path("Playlists/") + name));
        QVERIFY(volume_->makeReadOnly());
        const auto before = snapshot(path("Playlists"));
        start();

        everyWriteFails();
        QCOMPARE(snapshot(path("Playlists")), before);
    }

    void fullDisk() {
        volume_ = std::make_unique<Volume>(dir_.path(), "2m");
        QVERIFY(volume_->mounted());
        install();
        writeAll(path("import.qvl"), QByteArray(64 * 1024, 'i') + "\r\ni\r\n");
        start();
        volume_->fill();
        const auto before = snapshot(dir_.path());

        everyWriteFails();

        // Remembering a favourites login writes the settings first.
        form1_->Login3Click();
        form1_->windows.form14->sEdit1->setText(QStringLiteral("alice"));
        form1_->windows.form14->sCheckBox1->setChecked(true);
        QTest::mouseClick(form1_->windows.form14->sButton1, Qt::LeftButton);
        form1_->windows.form14->close();
        QCOMPARE(messages_->texts().size(), 1);
        QVERIFY2(
            messages_->texts().first().startsWith("Unable to write to " + path("settings.ini")),
            qPrintable(messages_->texts().first()));
        messages_->clear();

        // A search and a favourites fetch store the page first.
        form1_->ComboBox1->setEditText(QStringLiteral("Jazz"));
        form1_->sBitBtn5Click();
        QCOMPARE(messages_->texts().size(), 1);
        QVERIFY2(messages_->texts().first().startsWith("Cannot create file \"" +
                                                       path("temp/text.txt") + "\""),
                 qPrintable(messages_->texts().first()));
        messages_->clear();

        // Export to a file on the full disk.
        chosenFile_ = path("exported.qvl");
        form1_->exportplaylist1Click();
        QTest::mouseClick(form1_->windows.form16->sBitBtn1, Qt::LeftButton);
        QCOMPARE(messages_->texts().size(), 1);
        QVERIFY(
            messages_->texts().first().startsWith("Cannot create file \"" + path("exported.qvl")));
        messages_->clear();

        QCOMPARE(snapshot(dir_.path()), before);

        // Room for the name but not for the playlist: neither is stored.
        QVERIFY(QFile::resize(path("filler"), QFileInfo(path("filler")).size() - 16 * 1024));
        const auto nearlyFull = snapshot(path("Playlists"));
        chosenFile_ = path("import.qvl");
        form1_->Importplaylist1Click();
        form1_->windows.form15->sEdit1->setText(QStringLiteral("Imported"));
        QTest::mouseClick(form1_->windows.form15->sButton1, Qt::LeftButton);
        QCOMPARE(messages_->texts(),
                 QStringList{"Cannot create file \"" + path("Playlists/Imported.qvl") +
                             "\". No space left on device"});
        QCOMPARE(snapshot(path("Playlists")), nearlyFull);
    }

    // A removed "temp" is made again by the next download.
    void missingTemp() {
        install();
        QVERIFY(QDir(path("temp")).removeRecursively());
        start();
        form1_->ComboBox1->setEditText(QStringLiteral("Jazz"));
        form1_->sBitBtn5Click();
        QCOMPARE(form1_->ListBox1->count(), 50);
        form1_->Login3Click();
        form1_->windows.form14->sEdit1->setText(QStringLiteral("alice"));
        QTest::mouseClick(form1_->windows.form14->sButton1, Qt::LeftButton);
        QVERIFY(form1_->sListBox2->count() > 0);
        QCOMPARE(messages_->texts(), QStringList());
    }

    // A process killed at any moment of a save leaves the old or the new
    // file, never a mix and never nothing. Each round kills it during a later
    // save, once at least one save of both files has ended.
    void killedDuringSave() {
        const QString file = path("saved.txt");
        for (int round = 0; round < 20; ++round) {
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("QV_SAVE_FOREVER"), file);
            child.setProcessEnvironment(env);
            child.setProcessChannelMode(QProcess::SeparateChannels);
            child.start(QCoreApplication::applicationFilePath(), {});
            QVERIFY(child.waitForStarted(5000));
            qint64 saves = 0;
            while (saves < 1 + round) {
                QVERIFY2(child.waitForReadyRead(5000), qPrintable(QString::number(round)));
                saves += child.readAllStandardOutput().count('+');
            }
            ::kill(pid_t(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished(5000));
            QCOMPARE(child.exitStatus(), QProcess::CrashExit);
            for (const QString& name : {file, file + ".ini"}) {
                QVERIFY2(QFile::exists(name), qPrintable(name));
                const QByteArray bytes = readAll(name);
                const QByteArray body = name == file ? bytes : bytes.mid(bytes.indexOf('=') + 1);
                QVERIFY2(body.size() >= 1 << 20, qPrintable(name));
                const char c = body.at(0);
                QVERIFY2(body.left(1 << 20) == QByteArray(1 << 20, c), qPrintable(name));
            }
        }
    }
};

int main(int argc, char** argv) {
    if (const QString file = qEnvironmentVariable("QV_SAVE_FOREVER"); !file.isEmpty())
        saveForever(file);
    QApplication app(argc, argv);
    TestFileFaults test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_filefaults.moc"
