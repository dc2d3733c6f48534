#ifndef RESULTS_UTEXTEXPORT_H
#define RESULTS_UTEXTEXPORT_H

#include <string>
#include <vector>

#include "modelstream.h"
#include "uDataVector.h"

class CPolyraProject;

// A store that turns every labelled item it is given into a line of the
// project's text export; it cannot be read back.
class TextProjectFileImpl : public ProjectFile {
public:
    struct Entry {
        std::string label;
        std::string value;
    };

    TextProjectFileImpl() = default;
    ~TextProjectFileImpl() override = default;

    bool getBool(unsigned id) const override;
    int getInt(unsigned id) const override;
    float getFloat(unsigned id) const override;
    std::string getString(unsigned id) const override;
    const unsigned char *getData(unsigned id, unsigned &length) const override;
    void setBool(unsigned id, bool value) override;
    void setInt(unsigned id, int value) override;
    void setFloat(unsigned id, float value) override;
    void setString(unsigned id, const std::string &text) override;
    // Item 6 only: the system-information text, zero bytes left out.
    void setData(unsigned id, const unsigned char *data, unsigned length) override;

    static const char *itemLabel(unsigned id_);
    void addEntry(unsigned id_, const Entry &entry_);
    // The whole export: title, the four sections, the system information.
    std::string text() const;

    const std::vector<Entry> &projectEntries() const { return project; }
    const std::vector<Entry> &displayEntries() const { return display; }
    const std::vector<Entry> &optionsEntries() const { return options; }
    const std::vector<Entry> &resultsEntries() const { return results; }

private:
    // The list of the id's section; null for an id no section takes.
    std::vector<Entry> *sectionEntries(unsigned id_);
    void add(unsigned id_, const char *label_, std::string &&value_);

    std::vector<Entry> project;
    std::vector<Entry> display;
    std::vector<Entry> options;
    std::vector<Entry> results;
    std::string systemInfoText;
};

// Writes a system-information tree as lines of text: values as name, tab and
// text; chunks and lists under their upper-cased names. Every piece goes out
// with its terminating zero byte, as texts do on the streams.
class SystemInfoTextAdapter {
public:
    class StreamOutput : public KV_Rigscan::BaseOutputStream {
    public:
        StreamOutput(KVS_streamOutputBase *target_, unsigned char *state_) : target(target_), state(state_) {}
        virtual ~StreamOutput() = default;

        BaseOutputStream &operator<<(const KV_Rigscan::BaseContainer &container_) override;
        BaseOutputStream &operator<<(const KV_Rigscan::Datatype &value_) override;
        BaseOutputStream &operator<<(const KV_Rigscan::ChunkHeader &header_) override;
        BaseOutputStream &operator<<(const KV_Rigscan::BaseList &list_) override;
        BaseOutputStream &operator<<(const KV_Rigscan::BaseList::Length &length_) override;

    private:
        KVS_streamOutputBase *target;
        unsigned char *state;
    };
};

// The project's system information rendered as text, zero bytes included
// (they are left out when the text is stored).
std::string getSystemInfoText(const CPolyraProject &project_);

// The project's whole text export.
std::string projectExportText(const CPolyraProject &project_);

// Writes the export into a file that exists (the caller's temporary file);
// false when not every byte was written.
bool exportTextFile(const CPolyraProject &project_, const std::string &path_);

// Splits a text into lines at CR LF, LF or CR, as a string list loads a file.
std::vector<std::string> splitLines(const std::string &text_);

#endif
