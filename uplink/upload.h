#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <QUrl>

#include "uplinkui.h"

// One file of an upload: its form field, the name it is sent under and its bytes.
struct UploadFile {
    QString field;
    QString fileName;
    QString contentType;
    QByteArray bytes;
};

struct UploadRequest {
    QUrl address;
    int kind = 0;
    UploadFile project;
    bool hasText = false;
    UploadFile text;
};

enum class UploadResult { Submitted, Failed, TimedOut, TookTooLong, ServerSaidNo, AnswerTooLong, Cancelled };

struct UploadOutcome {
    UploadResult result = UploadResult::Failed;
    int status = 0;       // the server's HTTP status, 0 when none came
    QString reason;       // its reason phrase, or the transfer's error text
    QString location;     // where the server's redirect points, if it gave one
};

// A host as the boxes name it: an IPv6 address in brackets, followed by the
// port when there is one (above 0).
QString shownHost(const QString &host_, int port_ = -1);

// The name a file goes under in the form: its own name with only letters,
// digits, '.', '-' and '_' kept.
QString uploadFileName(const QString &path_);

// Posts the request once as a multipart form under a modal progress dialog
// and returns when the server has answered, the transfer failed, moved no
// byte either way for idleMs_, had not ended by deadline_ (TookTooLong
// without a connection when it has passed already), or the user cancelled
// it. The form is read from the request's files as they are. The transfer
// runs on a thread of its own that ends before the call returns. The
// address's user name and password are never sent, and redirects are not
// followed.
UploadOutcome runUpload(const UploadRequest &request_, const UplinkSettings &settings_, int idleMs_,
                        const QDeadlineTimer &deadline_);
