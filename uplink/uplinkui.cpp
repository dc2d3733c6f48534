#include "uplinkui.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "RegistryStore.h"
#include "uplinkmfc.h"
#include "uploadhost.h"

namespace {

const QString caption = QStringLiteral("CorvalinSoft Online");
constexpr int defaultTimeoutMs = 60000;

// The host program's own key, as it keeps its other settings.
QString settingsKey()
{
    return QStringLiteral("Software\\CorvalinSoft\\") + QCoreApplication::applicationName();
}

} // namespace

bool uplinkNoWait()
{
    return qEnvironmentVariable(uplinkNoWaitVariable) == QLatin1String("1");
}

int uplinkTimeoutMs()
{
    bool ok = false;
    const int ms = qEnvironmentVariable(uplinkTimeoutVariable).toInt(&ok);
    return ok && ms > 0 ? ms : defaultTimeoutMs;
}

int uplinkDeadlineMs()
{
    return int(std::min<qint64>(2 * qint64(uplinkTimeoutMs()), std::numeric_limits<int>::max()));
}

QWidget *uplinkHostWindow()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

void uplinkMessage(const QString &text_, bool failure_)
{
    const QMessageBox::Icon icon = failure_ ? QMessageBox::Warning : QMessageBox::Information;
    if (uplinkNoWait()) {
        auto *box = new QMessageBox(icon, caption, text_, QMessageBox::Ok, uplinkHostWindow());
        box->setObjectName(QStringLiteral("UplinkMessage"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->show();
        return;
    }
    QMessageBox box(icon, caption, text_, QMessageBox::Ok, uplinkHostWindow());
    box.setObjectName(QStringLiteral("UplinkMessage"));
    box.exec();
}

UplinkSettings readUplinkSettings()
{
    const RegistryStore store(settingsKey());
    UplinkSettings settings;
    settings.host = trimmedUploadHost(store.readString(uplinkSettingsSection, uplinkHostValue));
    settings.proxyHost = store.readString(uplinkSettingsSection, uplinkProxyHostValue).trimmed();
    settings.proxyPort = store.readInteger(uplinkSettingsSection, uplinkProxyPortValue, uplinkDefaultProxyPort);
    if (settings.proxyPort < 1 || settings.proxyPort > 65535)
        settings.proxyPort = uplinkDefaultProxyPort;
    return settings;
}

QString shownSetting(const QString &text_)
{
    return text_.size() > 100 ? text_.left(100) + QStringLiteral("...") : text_;
}

QString proxyHostProblem(const QString &host_)
{
    const QString host = host_.trimmed();
    if (host.isEmpty())
        return {};
    if (host.size() > 253)
        return QStringLiteral("it is longer than a host name can be (253 characters)");
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    if (scheme.match(host).hasMatch())
        return QStringLiteral("it begins with a scheme, and only the proxy's host name or address goes there");
    QUrl check;
    check.setHost(host, QUrl::StrictMode);
    if (check.isValid() && !check.host().isEmpty())
        return {};
    static const QRegularExpression port(QStringLiteral("^([^:\\[\\]]+|\\[[^\\]]*\\]):[0-9]*$"));
    if (port.match(host).hasMatch())
        return QStringLiteral("it ends with a port, which is set apart as the proxy port");
    return QStringLiteral("it is not a host name or address");
}

bool writeUplinkSettings(const UplinkSettings &settings_)
{
    RegistryStore store(settingsKey());
    bool ok = store.writeString(uplinkSettingsSection, uplinkHostValue, trimmedUploadHost(settings_.host));
    ok = store.writeString(uplinkSettingsSection, uplinkProxyHostValue, settings_.proxyHost.trimmed()) && ok;
    ok = store.writeInteger(uplinkSettingsSection, uplinkProxyPortValue, settings_.proxyPort) && ok;
    return ok;
}

QString uplinkSettingsLocation()
{
    return RegistryStore(settingsKey()).location(uplinkSettingsSection);
}

TNetSettingsDialog::TNetSettingsDialog(QWidget *parent_) : QDialog(parent_)
{
    setObjectName(QStringLiteral("UplinkNetSettings"));
    setWindowTitle(QStringLiteral("Network Settings"));
    auto *form = new QFormLayout;
    Host = new QLineEdit(this);
    Host->setObjectName(QStringLiteral("Host"));
    Host->setPlaceholderText(QStringLiteral("example.com or https://example.com:8443"));
    ProxyHost = new QLineEdit(this);
    ProxyHost->setObjectName(QStringLiteral("ProxyHost"));
    ProxyHost->setPlaceholderText(QStringLiteral("none: a direct connection"));
    ProxyPort = new QSpinBox(this);
    ProxyPort->setObjectName(QStringLiteral("ProxyPort"));
    ProxyPort->setRange(1, 65535);
    form->addRow(QStringLiteral("&Upload host:"), Host);
    form->addRow(QStringLiteral("&Proxy host:"), ProxyHost);
    form->addRow(QStringLiteral("P&roxy port:"), ProxyPort);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("Buttons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TNetSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TNetSettingsDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    resize(420, sizeHint().height());

    const UplinkSettings settings = readUplinkSettings();
    Host->setText(settings.host);
    ProxyHost->setText(settings.proxyHost);
    ProxyPort->setValue(settings.proxyPort);
}

void TNetSettingsDialog::accept()
{
    UplinkSettings settings;
    settings.host = Host->text();
    settings.proxyHost = ProxyHost->text();
    settings.proxyPort = ProxyPort->value();
    // Kept open on each refusal, so what was typed is not lost.
    if (trimmedUploadHost(settings.host).size() > uploadHostLimit) {
        uplinkMessage(QStringLiteral("The upload host is longer than an upload host can be (%1 characters). The "
                                     "settings were not saved.")
                          .arg(uploadHostLimit),
                      true);
        return;
    }
    if (const QString why = proxyHostProblem(settings.proxyHost); !why.isEmpty()) {
        uplinkMessage(QStringLiteral("The proxy host \"%1\" cannot be used: %2. The settings were not saved.")
                          .arg(shownSetting(settings.proxyHost.trimmed()), why),
                      true);
        return;
    }
    if (!writeUplinkSettings(settings)) {
        uplinkMessage(QStringLiteral("The network settings could not be saved in %1.").arg(uplinkSettingsLocation()),
                      true);
        return;
    }
    wasSaved = true;
    QDialog::accept();
}

TDetailsDialog::TDetailsDialog(const QString &text_, QWidget *parent_) : QDialog(parent_)
{
    setObjectName(QStringLiteral("UplinkDetails"));
    setWindowTitle(QStringLiteral("Project Details"));
    Text = new QPlainTextEdit(this);
    Text->setObjectName(QStringLiteral("Text"));
    Text->setReadOnly(true);
    Text->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Each line is a label, a tab and a value: the values stand in one
    // column two letters past the longest label, which an unusually long
    // label may pass.
    const QFontMetrics metrics(Text->font());
    const int letter = metrics.horizontalAdvance(QLatin1Char('M'));
    int widest = 0;
    for (const QString &line : text_.split(QLatin1Char('\n')))
        if (const qsizetype tab = line.indexOf(QLatin1Char('\t')); tab > 0)
            widest = std::max(widest, metrics.horizontalAdvance(line.left(tab)));
    Text->setTabStopDistance(std::min(widest, 40 * letter) + 2 * letter);
    Text->setPlainText(text_);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &TDetailsDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Text, 1);
    layout->addWidget(buttons);
    resize(600, 480);
}
