#include <cstddef>
#include <string>

#include "io/output_file.h"
#include "voi/voi_file.h"
#include "voi/voi_text.h"

namespace zandrel {

namespace {

class FileSink final : public TextSink {
public:
    explicit FileSink(OutputFile& file) : file_(file) {}
    void put(const char* data, std::size_t size) override { file_.write(data, size); }

private:
    OutputFile& file_;
};

}  // namespace

void VoiFile::save() const {
    // CR LF on request is written literally, so that file is binary; otherwise a text
    // file, which gives the platform's line end.
    OutputFile output(fileName, "voi", ".tmp", crlf);
    FileSink sink(output);
    formatVoiText(*this, true, sink);
    output.finish();
    output.commit();
}

}  // namespace zandrel
