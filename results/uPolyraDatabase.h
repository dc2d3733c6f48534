#ifndef RESULTS_UPOLYRADATABASE_H
#define RESULTS_UPOLYRADATABASE_H

#include "uBasicDatabase.h"

// A database of the benchmark's projects and its ".prb" file.
class CPolyraDatabase : public CBasicDatabase {
public:
    CPolyraDatabase();
    ~CPolyraDatabase() override;

    void changed() override;
    void print(bool preview_) override;
    void reset() override;
    // False when the file cannot be read, is not a database file or the user
    // cancelled a name clash (see wasCancelled()). A record that fails its
    // CRC check raises, and nothing of the database is changed then. Records
    // that are not projects are skipped and told in one message for the file.
    bool loadFromFile(const std::string &fileName_) override;
    // Replaces the file whole or not at all; false (after telling the user)
    // when it could not be written, and the database keeps its file name and
    // modified state. A file the user may not write raises "File could not
    // be opened" before anything is written.
    bool saveToFile(const std::string &fileName_) override;
    void createWindow() override;
    void setupSaveDialog(CSaveDialogSetup &dialog_) override;
    double getTestMaximum(int testId_) override;

    // The last load stopped because the user chose Cancel.
    bool wasCancelled() const { return cancelled; }

    static const char *fileHeader() { return "Scorvista2001 Database\n"; }

private:
    bool polyraInitialised = false;
    bool cancelled = false;
};

#endif
