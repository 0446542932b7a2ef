#pragma once

// Formatting of .voi text into a fixed buffer that is handed on in large pieces, so that a
// VOI of a million voxels costs a few dozen writes rather than a million stream insertions.
// Numbers go through std::to_chars: no locale can change a digit or add a separator.

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "formats/keyed_field.h"
#include "voi/voi_file.h"

namespace zandrel {

// Receives the formatted text piece by piece; throws when it cannot take it.
class TextSink {
public:
    virtual void put(const char* data, std::size_t size) = 0;

protected:
    ~TextSink() = default;
};

class VoiTextWriter {
public:
    VoiTextWriter(TextSink& sink, bool crlf)
        : sink_(sink), crlf_(crlf), storage_(new char[kCapacity]), buffer_(storage_.get()) {}
    VoiTextWriter(const VoiTextWriter&) = delete;
    VoiTextWriter& operator=(const VoiTextWriter&) = delete;

    void text(const char* data, std::size_t size) {
        if (size > kCapacity - used_) {
            flush();
            if (size > kCapacity) {
                sink_.put(data, size);
                return;
            }
        }
        std::memcpy(buffer_ + used_, data, size);
        used_ += size;
    }
    void text(const std::string& value) { text(value.data(), value.size()); }
    void text(const char* value) { text(value, std::strlen(value)); }

    void number(std::int32_t value) {
        reserve(kMaxNumber);
        used_ = static_cast<std::size_t>(std::to_chars(buffer_ + used_, buffer_ + kCapacity, value).ptr - buffer_);
    }

    void lineEnds(int count) {
        for (int n = 0; n < count; ++n) {
            if (crlf_) text("\r\n", 2);
            else text("\n", 1);
        }
    }

    // "x y z" and one line end: the per-voxel line, the only part whose count is large.
    void triple(std::int32_t x, std::int32_t y, std::int32_t z) {
        reserve(3 * kMaxNumber + 4);
        char* end = buffer_ + kCapacity;
        char* at = std::to_chars(buffer_ + used_, end, x).ptr;
        *at++ = ' ';
        at = std::to_chars(at, end, y).ptr;
        *at++ = ' ';
        at = std::to_chars(at, end, z).ptr;
        if (crlf_) *at++ = '\r';
        *at++ = '\n';
        used_ = static_cast<std::size_t>(at - buffer_);
    }

    void field(const KeyedInt& field, int lineEnds) {
        if (!field.present) return;
        key(field.key, field.width);
        number(field.value);
        this->lineEnds(lineEnds);
    }

    void field(const KeyedText& field, int lineEnds) {
        if (!field.present) return;
        key(field.key, field.width);
        if (field.quoted) text("\"", 1);
        text(field.value);
        if (field.quoted) text("\"", 1);
        this->lineEnds(lineEnds);
    }

    void flush() {
        if (used_ == 0) return;
        const std::size_t size = used_;
        used_ = 0;
        sink_.put(buffer_, size);
    }

private:
    static constexpr std::size_t kCapacity = 1 << 16;
    static constexpr std::size_t kMaxNumber = 11;  // "-2147483648"

    void reserve(std::size_t size) {
        if (size > kCapacity - used_) flush();
    }

    // "key:" padded with spaces to `width`; written whole when it is as long or longer.
    void key(const std::string& key, std::int32_t width) {
        text(key);
        text(":", 1);
        const std::size_t written = key.size() + 1;
        if (width > 0 && static_cast<std::size_t>(width) > written) {
            std::size_t padding = static_cast<std::size_t>(width) - written;
            static const char spaces[] = "                                ";
            while (padding > 0) {
                const std::size_t piece = padding < sizeof spaces - 1 ? padding : sizeof spaces - 1;
                text(spaces, piece);
                padding -= piece;
            }
        }
    }

    TextSink& sink_;
    bool crlf_;
    std::unique_ptr<char[]> storage_;  // on the heap: the host thread's stack may be small
    char* buffer_;
    std::size_t used_ = 0;
};

// The complete .voi text of `file` into `sink` (flushed at the end).
void formatVoiText(const VoiFile& file, bool withCoordinates, TextSink& sink);

}  // namespace zandrel
