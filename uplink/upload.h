#pragma once

#include <QByteArray>
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
};

// The name a file goes under in the form: its own name with only letters,
// digits, '.', '-' and '_' kept.
QString uploadFileName(const QString &path_);

// Posts the request as a multipart form under a modal progress dialog and
// returns when the server has answered, the transfer failed, made no
// progress for idleMs_, had not ended after deadlineMs_, or the user
// cancelled it. The address's user name and password are never sent.
UploadOutcome runUpload(const UploadRequest &request_, const UplinkSettings &settings_, int idleMs_, int deadlineMs_);
