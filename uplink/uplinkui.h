#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPlainTextEdit;
class QSpinBox;
class QWidget;

// The boxes and dialogs of the library, and the settings they edit.

// The test seam: true when nothing may wait for a person.
bool uplinkNoWait();
// The transfer's idle time-out in milliseconds, and the time it may take
// in all: twice that.
int uplinkTimeoutMs();
int uplinkDeadlineMs();
// The window the library's boxes and dialogs belong to: the host's modal
// window or its active one, or none.
QWidget *uplinkHostWindow();

// A box with the library's caption: modal, or left open under the seam.
void uplinkMessage(const QString &text_, bool failure_);

struct UplinkSettings {
    QString host;      // kept as typed, without blanks and trailing slashes
    QString proxyHost; // empty: a direct connection
    int proxyPort = 0;
};
UplinkSettings readUplinkSettings();
// A setting as a box quotes it: its first 100 characters, then "...".
QString shownSetting(const QString &text_);
// Why the proxy host cannot be used; empty when it can, or is empty. Only
// a host name or address goes there: its port is a setting of its own.
QString proxyHostProblem(const QString &host_);
// False when the settings store could not be written.
bool writeUplinkSettings(const UplinkSettings &settings_);
// Where the settings are kept, for telling the user.
QString uplinkSettingsLocation();

// The network settings; saves them when accepted.
class TNetSettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit TNetSettingsDialog(QWidget *parent_ = nullptr);

    QLineEdit *Host = nullptr;
    QLineEdit *ProxyHost = nullptr;
    QSpinBox *ProxyPort = nullptr;

    // True after a successful save.
    bool saved() const { return wasSaved; }

public slots:
    void accept() override;

private:
    bool wasSaved = false;
};

// A project's text, read-only.
class TDetailsDialog : public QDialog {
    Q_OBJECT
public:
    TDetailsDialog(const QString &text_, QWidget *parent_ = nullptr);

    QPlainTextEdit *Text = nullptr;
};
