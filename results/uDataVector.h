#pragma once

// Item store of a result file: a flat list of typed items keyed by a 16-bit id.
//
// Wire format of one item (big-endian): 2-byte id, 1-byte type, payload.
//   0 bool    1 byte                    1 integer 4 bytes, signed
//   2 float   4 bytes, IEEE single      3 string  4-byte length n, n characters
//   4 block   4-byte length n, n bytes
//
// Items do not copy the file: they point into the buffer they were parsed
// from, and integer and float payloads are turned to machine order in place
// there. That buffer must outlive the store and must be parsed only once.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

static_assert(sizeof(unsigned) == 4, "item lengths and ids are 32-bit fields");

// Property store addressed by item id; the binary result file and the text
// export both implement it.
class ProjectFile {
public:
    virtual ~ProjectFile() = default;

    virtual bool getBool(unsigned id) const = 0;
    virtual int getInt(unsigned id) const = 0;
    virtual float getFloat(unsigned id) const = 0;
    virtual std::string getString(unsigned id) const = 0;
    virtual const unsigned char* getData(unsigned id, unsigned& length) const = 0;
    virtual void setBool(unsigned id, bool value) = 0;
    virtual void setInt(unsigned id, int value) = 0;
    virtual void setFloat(unsigned id, float value) = 0;
    virtual void setString(unsigned id, const std::string& text) = 0;
    virtual void setData(unsigned id, const unsigned char* data, unsigned length) = 0;
};

// One item: a plain record that points into the parsed buffer. What differs
// between the kinds is switched on type, so a store keeps its items in one
// array instead of one allocation each.
class BasicData {
public:
    // Type 0 bool, 1 integer, 2 float, 3 string, 4 block.
    explicit BasicData(std::uint8_t type_ = 0);
    ~BasicData();

    BasicData(BasicData&&) noexcept;
    BasicData& operator=(BasicData&&) noexcept;
    BasicData(const BasicData&) = delete;
    BasicData& operator=(const BasicData&) = delete;

    bool getBool() const;
    // Floats are truncated toward zero; NaN gives 0, out-of-range values
    // saturate. Strings and blocks start with a length field, never a
    // number: refused.
    int getInt() const;
    float getFloat() const;
    // Strings: the characters up to the first zero byte, or the text a
    // setString gave. Other kinds: "".
    std::string getString() const;
    // Pointer to the payload and its length; null and 0 when there is none.
    // A block gives its first byte and n; strings are read through getString.
    const unsigned char* getData(unsigned& length_) const;
    // Writes the payload (big-endian) at position and advances it. A string
    // writes its stored characters unchanged, zero bytes included, until
    // setString.
    void write(unsigned char* buffer, std::size_t& position) const;
    // Replaces the text of a string item; other kinds ignore it.
    void setString(const std::string& text);
    // Takes the payload at position, which must end at or before end
    // (an Exception otherwise, position unchanged); advances position.
    void read(unsigned char* buffer, std::size_t& position, std::size_t end);
    // Bytes the whole item takes on file.
    std::size_t size() const;

    // Id, type and payload.
    void writeItem(unsigned char* buffer, std::size_t& position) const;

    // Ids are 16-bit on file.
    std::uint16_t id = 0;
    std::uint8_t type = 0;

private:
    // data is a buffer of this item's own: a replaced string's text behind
    // room for its length field, kept whole, zero bytes included.
    bool owned = false;

public:
    std::uint32_t length;
    // Into the parsed buffer; for strings and blocks at their length field.
    unsigned char* data = nullptr;

private:
    void release();
};

// A store keeps thousands of items per database: every byte of one counts.
static_assert(sizeof(BasicData) <= 16, "an item is id, type, length and one pointer");

class BooleanData : public BasicData {
public:
    BooleanData() : BasicData(0) {}
};

class IntegerData : public BasicData {
public:
    IntegerData() : BasicData(1) {}
};

class FloatData : public BasicData {
public:
    FloatData() : BasicData(2) {}
};

class StringData : public BasicData {
public:
    StringData() : BasicData(3) {}
};

class BinaryData : public BasicData {
public:
    BinaryData() : BasicData(4) {}
};

// The store over the item region of a result file.
class DataVector : public ProjectFile {
public:
    DataVector() = default;
    ~DataVector() override;

    DataVector(const DataVector&) = delete;
    DataVector& operator=(const DataVector&) = delete;
    // The items and their index move along; the other store is left empty.
    DataVector(DataVector&& other) noexcept;
    DataVector& operator=(DataVector&& other) noexcept;

    // Absent ids give false, -1, -1.0, "" and null with length 0.
    bool getBool(unsigned id) const override;
    int getInt(unsigned id) const override;
    float getFloat(unsigned id) const override;
    std::string getString(unsigned id) const override;
    const unsigned char* getData(unsigned id, unsigned& length) const override;

    // The image is never rebuilt from the model: these do nothing.
    void setBool(unsigned id, bool value) override;
    void setInt(unsigned id, int value) override;
    void setFloat(unsigned id, float value) override;
    void setData(unsigned id, const unsigned char* data, unsigned length) override;
    // The one setter that acts: replaces the text of an existing string item
    // (name and description before a save). Adds nothing.
    void setString(unsigned id, const std::string& text) override;

    // Sets the text of the first string item with the id, or appends a new
    // string item when the store has none (a name is never lost on saving).
    // Ids beyond 16 bits cannot be on file and are ignored.
    // An append may move the items: pointers taken before it are stale.
    void storeString(unsigned id, const std::string& text);

    // Appends the items of the length bytes at buffer. One or two bytes left
    // at the end are ignored. On an Exception the items read so far stay.
    void parse(unsigned char* buffer, std::size_t length);
    // Reads one item at position of the region buffer[0, end), advances position.
    static std::unique_ptr<BasicData> readItem(unsigned char* buffer, std::size_t& position,
                                               std::size_t end);
    // First item with the id, in file order; null when none.
    BasicData* findItem(unsigned id);
    const BasicData* findItem(unsigned id) const;

    // A new buffer of headRoom + items + tailRoom bytes (room zero-filled), the
    // items written from offset headRoom; length = headRoom + items.
    // Null and length 0 when the buffer cannot be made.
    std::unique_ptr<unsigned char[]> serialise(std::size_t& length, std::size_t headRoom,
                                               std::size_t tailRoom) const;

    std::size_t getCount() const { return items.size(); }
    const BasicData* getItem(std::size_t index) const;

private:
    void indexItems();

    // How the items are found by id.
    enum class Index : std::uint8_t {
        // A few items: searched in file order.
        None,
        // Ids few and small, as on every benchmark file: by id, position + 1
        // of the first item of that id, 0 for none.
        ById,
        // Otherwise positions ordered by id, then position, for a binary
        // search: one 16-bit word each, or two (high word first) from
        // 65,536 items on.
        Sorted16,
        Sorted32,
    };

    std::uint32_t sortedAt(std::size_t i) const;

    // File order, for saving.
    std::vector<BasicData> items;
    std::unique_ptr<std::uint16_t[]> index;
    // Entries of the index (ids of the table, or positions).
    std::uint32_t indexLength = 0;
    Index kind = Index::None;
};
