// SPDX-License-Identifier: GPL-3.0-or-later
// The installer's signature check, against signatures made by the minisign
// tool: fixtures in minisign/ (a throw-away key pair) and, where the tool is
// installed, signatures it makes during the test.
#include "minisign.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace qv::minisign;

Q_DECLARE_METATYPE(qv::minisign::Verdict)

namespace {

QByteArray fixture(const QString& name) {
    QFile f(QStringLiteral(QV_MINISIGN_FIXTURES "/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The base64 line of a "minisign.pub" file.
QString keyLine(const QByteArray& pubFile) {
    return QString::fromLatin1(pubFile.split('\n').value(1)).trimmed();
}

std::vector<PublicKey> key1() {
    return parseKeys(keyLine(fixture(QStringLiteral("key1.pub"))));
}

QList<QByteArray> lines(const QByteArray& file) {
    QList<QByteArray> l = file.split('\n');
    if (!l.isEmpty() && l.last().isEmpty())
        l.removeLast();
    return l;
}

QByteArray joined(const QList<QByteArray>& l) {
    return l.join('\n') + '\n';
}

// Flips one bit of the decoded base64 line at the given byte.
QByteArray flippedBase64(const QByteArray& line, int byte) {
    QByteArray raw = QByteArray::fromBase64(line);
    raw[byte] = char(raw[byte] ^ 0x01);
    return raw.toBase64();
}

} // namespace

class TestMinisign : public QObject {
    Q_OBJECT

private slots:
    void validSignatures_data() {
        QTest::addColumn<QString>("signature");
        QTest::addColumn<bool>("prehashed");
        QTest::newRow("ED (prehashed)") << "prehashed.minisig" << true;
        QTest::newRow("Ed (legacy)") << "legacy.minisig" << false;
    }
    void validSignatures() {
        QFETCH(QString, signature);
        const QByteArray sig = fixture(signature);
        const QByteArray file = fixture(QStringLiteral("file.bin"));
        QVERIFY(!sig.isEmpty() && !file.isEmpty());
        const auto parsed = parseSignature(sig);
        QVERIFY(parsed);
        QTEST(parsed->prehashed, "prehashed");
        QCOMPARE(verify(key1(), sig, file), Verdict::Valid);

        // Piece by piece, as the download hands it over.
        Verifier verifier(key1(), sig);
        QCOMPARE(verifier.verdict(), Verdict::Valid);
        for (qsizetype i = 0; i < file.size(); i += 7)
            verifier.add(QByteArrayView(file).sliced(i, std::min<qsizetype>(7, file.size() - i)));
        QCOMPARE(verifier.finish(), Verdict::Valid);
        // CR LF line ends in the signature file change nothing.
        QCOMPARE(verify(key1(), QByteArray(sig).replace("\n", "\r\n"), file), Verdict::Valid);
    }

    void changedBytes_data() {
        QTest::addColumn<QString>("signature");
        QTest::addColumn<QString>("change");
        for (const char* sig : {"prehashed.minisig", "legacy.minisig"}) {
            for (const char* change : {"file", "signature", "trusted comment", "global signature"})
                QTest::addRow("%s, %s", sig, change) << sig << change;
        }
    }
    // Any byte changed after signing is a mismatch.
    void changedBytes() {
        QFETCH(QString, signature);
        QFETCH(QString, change);
        QByteArray file = fixture(QStringLiteral("file.bin"));
        QList<QByteArray> sig = lines(fixture(signature));
        if (change == "file")
            file[3] = char(file[3] ^ 0x20);
        else if (change == "signature")
            sig[1] = flippedBase64(sig[1], 40); // inside the 64 signature bytes
        else if (change == "trusted comment")
            sig[2] += ' ';
        else
            sig[3] = flippedBase64(sig[3], 0);
        QCOMPARE(verify(key1(), joined(sig), file), Verdict::Mismatch);
    }

    void keys() {
        const QByteArray file = fixture(QStringLiteral("file.bin"));
        const QString one = keyLine(fixture(QStringLiteral("key1.pub")));
        const QString two = keyLine(fixture(QStringLiteral("key2.pub")));
        const QByteArray byOne = fixture(QStringLiteral("prehashed.minisig"));
        const QByteArray byTwo = fixture(QStringLiteral("key2.minisig"));

        // Signed by a key that is not ours.
        QCOMPARE(verify(parseKeys(two), byOne, file), Verdict::UnknownKey);
        QCOMPARE(verify(parseKeys(one), byTwo, file), Verdict::UnknownKey);
        // A key id that names our key over another key's signature.
        QList<QByteArray> forged = lines(byTwo);
        QByteArray raw = QByteArray::fromBase64(forged[1]);
        raw.replace(2, 8, QByteArray::fromBase64(one.toLatin1()).mid(2, 8));
        forged[1] = raw.toBase64();
        QCOMPARE(verify(parseKeys(one), joined(forged), file), Verdict::Mismatch);

        // Rolled over: either key of the list will do, in any order, with
        // any blanks between them; a word that is no key is left out.
        const auto both = parseKeys(QStringLiteral("  %1\n\tnot-a-key %2 ").arg(two, one));
        QCOMPARE(both.size(), std::size_t(2));
        QCOMPARE(verify(both, byOne, file), Verdict::Valid);
        QCOMPARE(verify(both, byTwo, file), Verdict::Valid);

        // Nothing to check against: refused, whatever the signature.
        QVERIFY(parseKeys(QString()).empty());
        QVERIFY(parseKeys(QStringLiteral("RWQ= Zm9v")).empty());
        QVERIFY(parseKeys(QString(one).replace(QLatin1Char('6'), QChar(0xFF))).empty());
        QCOMPARE(verify({}, byOne, file), Verdict::NoKey);
        QCOMPARE(verify({}, std::nullopt, file), Verdict::NoKey);
        QCOMPARE(verify(both, std::nullopt, file), Verdict::NoSignature);
    }

    void malformed_data() {
        QTest::addColumn<QByteArray>("signature");
        const QList<QByteArray> good = lines(fixture(QStringLiteral("prehashed.minisig")));
        for (int i = 0; i < 4; ++i) {
            QList<QByteArray> missing = good;
            missing.removeAt(i);
            QTest::addRow("line %d missing", i + 1) << joined(missing);
            QList<QByteArray> truncated = good;
            // The comment lines lose their prefix, the others their end.
            truncated[i] = i % 2 == 0 ? good[i].left(10) : good[i].chopped(4);
            QTest::addRow("line %d truncated", i + 1) << joined(truncated);
        }
        QList<QByteArray> extra = good;
        extra.append("more");
        QTest::newRow("a fifth line") << joined(extra);
        QList<QByteArray> algorithm = good;
        QByteArray raw = QByteArray::fromBase64(good[1]);
        raw[1] = 'x';
        algorithm[1] = raw.toBase64();
        QTest::newRow("unknown algorithm") << joined(algorithm);
        QList<QByteArray> spaced = good;
        spaced[1].insert(8, ' ');
        QTest::newRow("blank in base64") << joined(spaced);
        // A decoder that takes 0xFF for '/' would read the real signature.
        QList<QByteArray> foreign = good;
        QVERIFY(foreign[3].contains('/'));
        foreign[3].replace('/', '\xff');
        QTest::newRow("a byte outside base64") << joined(foreign);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("an HTML error page") << QByteArray("<html><body>Not Found</body></html>\n");
    }
    void malformed() {
        QFETCH(QByteArray, signature);
        QCOMPARE(verify(key1(), signature, fixture(QStringLiteral("file.bin"))),
                 Verdict::Malformed);
    }

    void reasons() {
        QCOMPARE(reason(Verdict::NoKey), QString("no update key configured"));
        QCOMPARE(reason(Verdict::NoSignature), QString("no signature"));
        QCOMPARE(reason(Verdict::Malformed), QString("a malformed signature"));
        QCOMPARE(reason(Verdict::UnknownKey), QString("an unknown key"));
        QCOMPARE(reason(Verdict::Mismatch), QString("a signature that does not match"));
    }

    // Signatures the real tool makes now, with a key it makes now.
    void madeByTheMinisignTool_data() {
        QTest::addColumn<QStringList>("signOptions");
        QTest::newRow("prehashed") << QStringList{"-S"};
        QTest::newRow("legacy") << QStringList{"-S", "-l"};
    }
    void madeByTheMinisignTool() {
        QFETCH(QStringList, signOptions);
        if (QStandardPaths::findExecutable(QStringLiteral("minisign")).isEmpty())
            QSKIP("minisign is not installed");
        QTemporaryDir dir;
        const auto run = [&](const QStringList& arguments) {
            QProcess p;
            p.setWorkingDirectory(dir.path());
            p.start(QStringLiteral("minisign"), arguments);
            return p.waitForFinished(20000) && p.exitStatus() == QProcess::NormalExit &&
                   p.exitCode() == 0;
        };
        QVERIFY(run({"-G", "-W", "-p", "key.pub", "-s", "key.sec"}));
        QByteArray file(300 * 1024, Qt::Uninitialized);
        for (char& c : file)
            c = char(QRandomGenerator::global()->bounded(256));
        QFile out(dir.filePath(QStringLiteral("file.bin")));
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
        out.close();
        QVERIFY(run(signOptions + QStringList{"-s", "key.sec", "-m", "file.bin"}));

        QFile pub(dir.filePath(QStringLiteral("key.pub")));
        QFile sig(dir.filePath(QStringLiteral("file.bin.minisig")));
        QVERIFY(pub.open(QIODevice::ReadOnly) && sig.open(QIODevice::ReadOnly));
        const auto keys = parseKeys(keyLine(pub.readAll()));
        const QByteArray signature = sig.readAll();
        QCOMPARE(verify(keys, signature, file), Verdict::Valid);
        file[file.size() / 2] = char(file[file.size() / 2] ^ 1);
        QCOMPARE(verify(keys, signature, file), Verdict::Mismatch);
    }
};

QTEST_GUILESS_MAIN(TestMinisign)
#include "test_minisign.moc"
