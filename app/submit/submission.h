#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

class CBasicProject;

// The upload service's path below the configured host.
inline constexpr const char *uploadServicePath = "/servlets/upload_pr2001";
// What the submission library is told the files are.
inline constexpr int submissionKind = 2;

// The configured upload host (the network settings' "Host") followed by the
// service's path; "http://" goes in front of a host without a scheme. With
// no host set, the path alone: the library then says where to set one.
QString UploadAddress();

// The temporary files of one submission, in a folder of their own that only
// the user may enter: the project file "scv....tmp" and the text file of the
// same name followed by "t". Both go with the folder on every path.
class TSubmissionFiles {
public:
    TSubmissionFiles() = default;
    ~TSubmissionFiles();
    TSubmissionFiles(const TSubmissionFiles &) = delete;
    TSubmissionFiles &operator=(const TSubmissionFiles &) = delete;

    // Makes the folder and the (empty) project file; false with the message
    // to show ("Unable to get tmp-directory", "Unable to get temporary file").
    bool create(QString &message_);
    QString projectPath() const { return project; }
    QString textPath() const { return project.isEmpty() ? QString() : project + QLatin1Char('t'); }
    // The lines, each followed by CR LF, as a new file; false when not every
    // byte was written (what was written is removed).
    bool writeText(const std::vector<std::string> &lines_);
    // Removes both files and the folder.
    void remove();

private:
    std::unique_ptr<QTemporaryDir> folder;
    QString project;
};

// The online Submit command's work for one project: saved to the temporary
// files with its text export (when that has 3 lines or more) and handed to
// the submission library, which uploads them to UploadAddress() and reports
// how it went. False when it stopped before the library, after a message.
bool SubmitProject(CBasicProject &project_);

// The submission library's network settings and its view of a project's
// text (Windows-1252).
void ShowNetSettings();
void ShowDetailsData(const std::string &text_);
