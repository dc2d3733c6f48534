#pragma once

// The submission library: uploads a result project for online comparison,
// shows a project's text and edits the network settings. Every call runs on
// the host's GUI thread with the host's QApplication, returns only when it is
// over, reports its own failures to the user and lets no exception out.

#ifdef __cplusplus
extern "C" {
#endif

// Uploads the project file, and the text file when one is given (null: no
// text), to the address (http or https) as one multipart form. kind_ goes
// with them. Returns one of the UplinkResult values.
int IC_submitFile(const char *address_, const char *projectFile_, int kind_, const char *textFile_);
// The network settings: the upload host and the proxy. 1 when they were
// saved, 0 otherwise.
int IC_showNetSettings(void);
// Shows length_ bytes of Windows-1252 text. 0 when shown.
int IC_showDetailsData(const char *text_, int length_);

#ifdef __cplusplus
}

enum UplinkResult {
    UplinkSubmitted = 0,
    UplinkNoHost = 1,      // the address names no host; nothing was sent
    UplinkRefused = 2,     // an unusable address or proxy host, or an unreadable file; nothing was sent
    UplinkFailed = 3,      // the transfer failed, timed out or the server said no
    UplinkCancelled = 4,   // the user stopped it; the server may have the form all the same
    UplinkNotRunning = -1, // no application, a call already running, or an internal error
};

// Where the settings live: the section below the host program's key
// ("Software\CorvalinSoft\" and the application's name), and its values.
inline constexpr const char *uplinkSettingsSection = "Network";
inline constexpr const char *uplinkHostValue = "Host";           // "example.com", "https://example.com:8443"
inline constexpr const char *uplinkProxyHostValue = "ProxyHost"; // empty: a direct connection
inline constexpr const char *uplinkProxyPortValue = "ProxyPort";
inline constexpr int uplinkDefaultProxyPort = 8080;

// Test seams, read at each call. UPLINKMFC_NO_WAIT set to 1: boxes and
// dialogs are shown and left open, and the call returns without waiting for
// a person (an upload still waits for its transfer). UPLINKMFC_TIMEOUT_MS: a
// transfer that makes no progress for this long is given up (default 60 s),
// and so is one that has not ended after twice this long.
inline constexpr const char *uplinkNoWaitVariable = "UPLINKMFC_NO_WAIT";
inline constexpr const char *uplinkTimeoutVariable = "UPLINKMFC_TIMEOUT_MS";
#endif
