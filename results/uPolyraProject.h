#ifndef RESULTS_UPOLYRAPROJECT_H
#define RESULTS_UPOLYRAPROJECT_H

#include <cstddef>
#include <memory>
#include <string>

#include "uBasicProject.h"
#include "uDataVector.h"

class Project;

// A project of the benchmark's own result files.
class CPolyraProject : public CBasicProject {
public:
    CPolyraProject();
    ~CPolyraProject() override;

    CBasicProject *copyToDatabase(CBasicDatabase *database_) override;
    void takeOver(CBasicProject *other_) override;
    bool exportText(std::vector<std::string> &lines_) override;
    COutcome load(const std::string &fileName_) override;
    COutcome save(const std::string &fileName_, bool append_, bool noRecent_) override;
    bool saveToFile(const std::string &fileName_, bool append_, bool noRecent_) override;
    bool loadFromFile(const std::string &fileName_) override;
    void afterLoad() override;
    void print(bool preview_) override;
    void openWindow() override;
    void showSystemInfo() override;
    CBasicDatabase *createDatabase() override;
    TTestValue *getTestValue(int testId_) override;
    std::string getTestName(const TTestValue *entry_, int mode_) override;
    double getTestResult(const TTestValue *entry_) override;
    std::string getRefreshRateText() override;
    std::string getTextureFormatText() override;
    std::string getRenderingPlatform() override;
    std::string getResolutionText() override;
    std::string getDisplayModeText() override;
    std::string getRenderingPipeline() override;
    std::string getColorDepthText(bool short_) override;
    int getColorDepth() override;
    std::string getZBufferText() override;
    std::string getFsaaText() override;
    std::string getFrameBufferText(bool short_) override;
    int getWidth() override;
    int getHeight() override;
    int getFrameBuffer() override;
    int getRefreshRate() override;
    int getZBufferDepth() override;

    // Items 0 and 1 take the project's name and description; a missing
    // item is appended, so a rename is never lost on saving.
    void storeNameAndDescription();
    int getFsaaSamples() const;

    // Read from the store on first use and kept; null until a store was
    // read whole.
    Project *getModel() const;
    // The model as a value: the one kept, or one read for this call alone,
    // so a project asked only for its text export keeps no model.
    Project modelCopy() const;
    DataVector *getStore() const { return hasStore ? &store : nullptr; }
    unsigned getSeed() const { return seed; }
    void setSeed(unsigned seed_) { seed = seed_; }

private:
    friend std::unique_ptr<unsigned char[]> buildProjectImage(CPolyraProject &, std::size_t &, bool);
    friend bool parseProjectImage(CPolyraProject &, std::unique_ptr<unsigned char[]>, std::size_t);
    friend bool parseProjectRecord(CPolyraProject &, std::unique_ptr<unsigned char[]>, std::size_t);
    friend bool readProjectFile(CPolyraProject &, const std::string &);

    void afterParse();
    void buildSystemInfo();
    void readModel(Project &model_) const;

    struct ModelState;

    // The flags and numbers first: they fill the end of the base part.
    bool polyraInitialised : 1 = false;
    // The store was read whole: the model can be read from it.
    bool modelPending : 1 = false;
    // The image had neither a name nor a description, and the store has
    // taken some since: the model reads both as empty (without a state of
    // its own for so common a case).
    bool modelTextsBlank : 1 = false;
    // The store holds the items of an image (getStore is null otherwise).
    bool hasStore : 1 = false;
    unsigned seed = 0;
    mutable std::unique_ptr<ModelState> model;
    std::unique_ptr<CProjectImages> secondImages;
    // The items of the image, into which the store points.
    std::unique_ptr<unsigned char[]> raw;
    // Handed out for change, as the owned store always was.
    mutable DataVector store;
};

// The project's image as a project file (or a database record when record_
// is set: one flag byte in front); null when the store could not be
// serialised.
std::unique_ptr<unsigned char[]> buildProjectImage(CPolyraProject &project_, std::size_t &length_, bool record_);
// Parses an image (project file or database record) into the project, which
// keeps the buffer. False when it is not a project image; raises on a CRC
// mismatch and on broken items.
bool parseProjectImage(CPolyraProject &project_, std::unique_ptr<unsigned char[]> buffer_, std::size_t length_);
// parseProjectImage without a message: the reader of a database tells once
// for the whole file how many of its records were not project images.
bool parseProjectRecord(CPolyraProject &project_, std::unique_ptr<unsigned char[]> buffer_, std::size_t length_);
// Reads a project file whole and parses it.
bool readProjectFile(CPolyraProject &project_, const std::string &fileName_);

#endif
