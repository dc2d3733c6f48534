#ifndef RESULTS_UPOLYRADATABASE_H
#define RESULTS_UPOLYRADATABASE_H

#include <memory>

#include "FileUtil.h"
#include "outcome.h"
#include "uBasicDatabase.h"

// A database of the benchmark's projects and its ".prb" file.
class CPolyraDatabase : public CBasicDatabase {
public:
    CPolyraDatabase();
    ~CPolyraDatabase() override;

    void changed() override;
    void print(bool preview_) override;
    void reset() override;
    // The load of a file, step by step: beginLoad reads and checks the whole
    // file without touching anything open; a name shared with an open
    // database is a question, answered through answer(), which may ask once
    // more (whether to save the other database first). Refused with an empty
    // message: the file cannot be read or is not a database file, or the
    // user cancelled (wasCancelled()). Done may carry the note that records
    // could not be read. A record that fails its CRC check raises, and
    // nothing of the database is changed then.
    COutcome beginLoad(const std::string &fileName_);
    COutcome answer(CMessages::Answer answer_);
    // The load with the questions asked and the note shown through the
    // installed messages; false unless it was done.
    bool loadFromFile(const std::string &fileName_) override;
    // Replaces the file whole or not at all; when it could not be written the
    // database keeps its file name and modified state. Refused: a file the
    // user may not write ("File could not be opened", nothing written) or a
    // failed write ("Error writing to file %s.").
    COutcome save(const std::string &fileName_) override;
    // save() with its failure reported: the refused target raises
    // "File could not be opened", a failed write is shown.
    bool saveToFile(const std::string &fileName_) override;    void createWindow() override;
    void setupSaveDialog(CSaveDialogSetup &dialog_) override;
    double getTestMaximum(int testId_) override;

    // The last load stopped because the user chose Cancel.
    bool wasCancelled() const { return cancelled; }

    static const char *fileHeader() { return "Scorvista2001 Database\n"; }

private:
    struct PendingLoad;
    COutcome finishLoad();
    COutcome save(const std::string &fileName_, FileWriteResult &written_);

    bool polyraInitialised = false;
    bool cancelled = false;
    std::unique_ptr<PendingLoad> pending;
};

#endif
