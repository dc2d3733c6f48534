#ifndef RESULTS_UPOLYRAPROJECT_H
#define RESULTS_UPOLYRAPROJECT_H

#include <cstddef>
#include <memory>
#include <string>

#include "uBasicProject.h"

class DataVector;
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

    Project *getModel() const { return model.get(); }
    DataVector *getStore() const { return store.get(); }
    unsigned getSeed() const { return seed; }
    void setSeed(unsigned seed_) { seed = seed_; }

private:
    friend std::unique_ptr<unsigned char[]> buildProjectImage(CPolyraProject &, std::size_t &, bool);
    friend bool parseProjectImage(CPolyraProject &, std::unique_ptr<unsigned char[]>, std::size_t);
    friend bool parseProjectRecord(CPolyraProject &, std::unique_ptr<unsigned char[]>, std::size_t);
    friend bool readProjectFile(CPolyraProject &, const std::string &);

    void afterParse();
    void buildSystemInfo();

    std::unique_ptr<Project> model;
    std::unique_ptr<CProjectImages> secondImages;
    std::string polyraFolder;
    std::unique_ptr<DataVector> store;
    unsigned seed = 0;
    bool polyraInitialised = false;
    std::unique_ptr<unsigned char[]> raw;
    std::size_t rawLength = 0;
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
