// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

// A certificate authority made for the test, and a server certificate it
// signed for the given IP addresses, with the openssl tool; PEM files.
class TestCertificates {
public:
    explicit TestCertificates(const QStringList& addresses) {
        if (QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty())
            return;
        QStringList names;
        for (const QString& a : addresses)
            names << QStringLiteral("IP:") + a;
        QFile ext(dir_.filePath(QStringLiteral("server.ext")));
        if (!ext.open(QIODevice::WriteOnly))
            return;
        ext.write(("subjectAltName=" + names.join(',') +
                   "\nbasicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\n"
                   "extendedKeyUsage=serverAuth\n")
                      .toLatin1());
        ext.close();
        const QStringList ec = {"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                                "-nodes"};
        valid_ = openssl(QStringList{"req", "-x509"} + ec +
                         QStringList{"-keyout", "ca.key", "-out", "ca.pem", "-days", "2", "-subj",
                                     "/CN=Quorvell test authority", "-addext",
                                     "basicConstraints=critical,CA:TRUE", "-addext",
                                     "keyUsage=critical,keyCertSign,cRLSign"}) &&
                 openssl(QStringList{"req"} + ec +
                         QStringList{"-keyout", "server.key", "-out", "server.csr", "-subj",
                                     "/CN=" + addresses.value(0)}) &&
                 openssl({"x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
                          "-CAcreateserial", "-days", "2", "-out", "server.pem", "-extfile",
                          "server.ext"});
    }

    bool valid() const { return valid_; }
    QString authority() const { return dir_.filePath(QStringLiteral("ca.pem")); }
    QString certificate() const { return dir_.filePath(QStringLiteral("server.pem")); }
    QString key() const { return dir_.filePath(QStringLiteral("server.key")); }

private:
    bool openssl(const QStringList& arguments) {
        QProcess p;
        p.setWorkingDirectory(dir_.path());
        p.start(QStringLiteral("openssl"), arguments);
        return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit &&
               p.exitCode() == 0;
    }

    QTemporaryDir dir_;
    bool valid_ = false;
};
