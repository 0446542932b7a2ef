// The .voi reader: the header up to "NrOfVOIs:", one phase per VOI up to its "NrOfVoxels:"
// and its triples, then the trailer up to "NrOfVOIVTCs:" and the VTC names.
#include "voi/voi_reader.h"

#include <cstdint>
#include <filesystem>
#include <istream>
#include <stdexcept>
#include <system_error>
#include <variant>

#include "formats/key_table.h"
#include "formats/keyed_reader.h"

namespace zandrel {

namespace {

const char* const kHeaderEnd = "NrOfVOIs:";
const char* const kVoiEnd = "NrOfVoxels:";
const char* const kTrailerEnd = "NrOfVOIVTCs:";
const char* const kColour = "ColorOfVOI:";

const KeyEntry<VoiFile> kHeaderKeys[] = {
    {"FileVersion:", "FileVersion", &VoiFile::FileVersion},
    {"ReferenceSpace:", "ReferenceSpace", &VoiFile::ReferenceSpace},
    {"OriginalVMRResolutionX:", "OriginalVMRResolutionX", &VoiFile::OriginalVMRResolutionX},
    {"OriginalVMRResolutionY:", "OriginalVMRResolutionY", &VoiFile::OriginalVMRResolutionY},
    {"OriginalVMRResolutionZ:", "OriginalVMRResolutionZ", &VoiFile::OriginalVMRResolutionZ},
    {"OriginalVMROffsetX:", "OriginalVMROffsetX", &VoiFile::OriginalVMROffsetX},
    {"OriginalVMROffsetY:", "OriginalVMROffsetY", &VoiFile::OriginalVMROffsetY},
    {"OriginalVMROffsetZ:", "OriginalVMROffsetZ", &VoiFile::OriginalVMROffsetZ},
    {"OriginalVMRFramingCubeDim:", "OriginalVMRFramingCubeDim", &VoiFile::OriginalVMRFramingCubeDim},
    {"LeftRightConvention:", "LeftRightConvention", &VoiFile::LeftRightConvention},
    {"SubjectVOINamingConvention:", "SubjectVOINamingConvention", &VoiFile::SubjectVOINamingConvention},
    {kHeaderEnd, "NrOfVOIs", &VoiFile::NrOfVOIs},
};

const KeyEntry<Voi> kVoiKeys[] = {
    {"NameOfVOI:", "NameOfVOI", &Voi::NameOfVOI},
    {kColour, "ColorOfVOI", {}},  // three plain integers, read by readColour
    {kVoiEnd, "NrOfVoxels", &Voi::NrOfVoxels},
};

const KeyEntry<VoiFile> kTrailerKeys[] = {
    {kTrailerEnd, "NrOfVOIVTCs", &VoiFile::NrOfVOIVTCs},
};

bool isTrailingSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A text value of a .voi is the rest of its line as written: names from other producers may
// hold double quotes of their own ("Left Amygdala "core""). Only a value that stands whole
// between two double quotes loses them (and is written with them again), so every name
// reads back the same after it is written.
void readWholeTextValue(std::istream& in, KeyedText& field) {
    std::string line;
    std::getline(in, line);
    std::size_t end = line.size();
    while (end > 0 && isTrailingSpace(line[end - 1])) --end;
    line.resize(end);
    field.quoted = line.size() >= 2 && line.front() == '"' && line.back() == '"';
    field.value = field.quoted ? line.substr(1, line.size() - 2) : line;
    field.present = true;
}

// readKeyedEntry, with text values read whole.
template <class Record>
const KeyEntry<Record>* readVoiEntry(std::istream& in, const std::string& word, const KeyTable<Record>& table,
                                     Record& record) {
    for (const KeyEntry<Record>& entry : table) {
        if (word != entry.keyWord) continue;
        if (const auto* text = std::get_if<KeyedText Record::*>(&entry.member)) {
            readKey(in, word, record.**text);
            readWholeTextValue(in, record.**text);
            return &entry;
        }
        break;
    }
    return readKeyedEntry(in, word, table, record);
}

// The only place that runs the keyed scan loop: reads words until `endKey` was read (true)
// or the stream ends or fails (false). `onMarker` is called for a section marker.
template <class Record, std::size_t N, class OnMarker>
bool scanUntil(std::istream& in, const KeyEntry<Record> (&keys)[N], const char* endKey, Record& record,
               OnMarker onMarker) {
    const KeyTable<Record> table = makeKeyTable(keys);
    std::string word;
    while (in.good()) {
        if (!readWord(in, word)) return false;
        const KeyEntry<Record>* entry = readVoiEntry(in, word, table, record);
        if (entry == nullptr) continue;
        if (entry->isSectionMarker()) onMarker(record);
        if (word == endKey) return !in.fail();
    }
    return false;
}

std::uint64_t fileBytes(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    return error ? 0 : static_cast<std::uint64_t>(size);
}

// The shortest triple takes six bytes ("0 0 0\n"); one more may end the file unterminated.
std::size_t triplesThatFit(std::uint64_t bytes) { return static_cast<std::size_t>(bytes / 6 + 1); }

void readColour(std::istream& in, Voi& voi) {
    std::int32_t rgb[3] = {voi.red, voi.green, voi.blue};
    for (std::int32_t& c : rgb) {
        if (!readNumber(in, c)) return;
    }
    voi.red = rgb[0];
    voi.green = rgb[1];
    voi.blue = rgb[2];
}

std::string voiLabel(std::size_t index, const Voi& voi) {
    return "VOI " + std::to_string(index + 1) + " (\"" + voi.NameOfVOI.value + "\")";
}

// Reads up to NrOfVoxels triples; true when all of them were there.
bool readVoxels(std::istream& in, std::uint64_t fileSize, Voi& voi) {
    const std::int32_t count = voi.NrOfVoxels.value;
    if (count <= 0) return true;
    const std::size_t promised = static_cast<std::size_t>(count);
    const std::size_t fit = triplesThatFit(fileSize);
    voi.voxels.reserve(promised < fit ? promised : fit);
    for (std::int32_t n = 0; n < count; ++n) {
        VoxelTriple v;
        if (!readNumber(in, v.x) || !readNumber(in, v.y) || !readNumber(in, v.z)) return false;
        voi.voxels.push_back(v);
    }
    return true;
}

// A key column no wider than the key and its colon (a value on the next line, say) would be
// written back with the value glued to the key, which no reader takes apart again: such a
// field is written with one blank after the colon.
template <class Value>
void keepValueApart(Keyed<Value>& field) {
    const auto narrowest = static_cast<std::int32_t>(field.key.size()) + 2;
    if (field.present && field.width < narrowest) field.width = narrowest;
}

void keepValuesApart(VoiFile& file) {
    forEachKeyedField(file, voiHeaderKeys(), [](const KeyEntry<VoiFile>&, auto& field) { keepValueApart(field); });
    keepValueApart(file.NrOfVOIVTCs);
    for (Voi& voi : file.vois) {
        keepValueApart(voi.NameOfVOI);
        keepValueApart(voi.NrOfVoxels);
    }
}

// Whether the first line ends in CR LF.
bool firstLineEndsInCrLf(std::istream& in) {
    std::string line;
    std::getline(in, line);
    const bool crlf = !line.empty() && line.back() == '\r';
    in.clear();
    in.seekg(0);
    return crlf;
}

void clearFields(VoiFile& file) {
    for (KeyedInt* field : {&file.FileVersion, &file.OriginalVMRResolutionX, &file.OriginalVMRResolutionY,
                            &file.OriginalVMRResolutionZ, &file.OriginalVMROffsetX, &file.OriginalVMROffsetY,
                            &file.OriginalVMROffsetZ, &file.OriginalVMRFramingCubeDim,
                            &file.LeftRightConvention, &file.NrOfVOIs, &file.NrOfVOIVTCs}) {
        *field = KeyedInt();
    }
    file.ReferenceSpace = KeyedText();
    file.SubjectVOINamingConvention = KeyedText();
    file.FileVersion.value = -1;
}

void readVtcNames(std::istream& in, VoiFile& file, std::vector<std::string>& warnings) {
    const std::int32_t count = file.NrOfVOIVTCs.value;
    std::string rest;
    std::getline(in, rest);  // the end of the "NrOfVOIVTCs:" line
    std::int32_t n = 0;
    for (; n < count; ++n) {
        std::string line;
        if (!std::getline(in, line)) break;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        file.vtcNames.push_back(line + (file.crlf ? "\r\n" : "\n"));
    }
    if (n < count) {
        warnings.push_back("VTC list cut short: " + std::to_string(n) + " of " + std::to_string(count) +
                           " names read");
    }
}

}  // namespace

const KeyTable<VoiFile>& voiHeaderKeys() {
    static const KeyTable<VoiFile> table = makeKeyTable(kHeaderKeys);
    return table;
}

VoiFileReading readVoiFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::path(path), error)) {
        throw std::runtime_error("Failed opening for reading: " + path);
    }
    std::ifstream in = openForReading(path);
    const std::uint64_t fileSize = fileBytes(path);

    VoiFileReading result;
    VoiFile& file = result.file;
    std::vector<std::string>& warnings = result.warnings;
    clearFields(file);
    file.crlf = firstLineEndsInCrLf(in);

    auto noMarker = [](VoiFile&) {};
    if (!scanUntil(in, kHeaderKeys, kHeaderEnd, file, noMarker)) {
        if (!file.NrOfVOIs.present) warnings.push_back("no \"NrOfVOIs:\" entry: no VOIs read");
        keepValuesApart(file);
        return result;
    }

    const std::int32_t claimed = file.NrOfVOIs.value;
    if (claimed < 0) warnings.push_back("negative VOI count " + std::to_string(claimed) + ": no VOIs read");
    bool complete = true;
    for (std::int32_t n = 0; n < claimed && complete; ++n) {
        Voi voi;
        if (!scanUntil(in, kVoiKeys, kVoiEnd, voi, [&in](Voi& v) { readColour(in, v); })) {
            complete = false;
            break;
        }
        const std::int32_t voxels = voi.NrOfVoxels.value;
        if (voxels < 0) warnings.push_back(voiLabel(file.vois.size(), voi) + ": negative voxel count " +
                                           std::to_string(voxels));
        if (!readVoxels(in, fileSize, voi)) {
            warnings.push_back(voiLabel(file.vois.size(), voi) + ": voxel list cut short: " +
                               std::to_string(voi.voxels.size()) + " of " + std::to_string(voxels) +
                               " voxels read");
            complete = false;
        }
        voi.NrOfVoxels.value = static_cast<std::int32_t>(voi.voxels.size());
        file.vois.push_back(std::move(voi));
    }
    if (claimed > 0 && file.vois.size() < static_cast<std::size_t>(claimed)) {
        warnings.push_back("VOI list cut short: " + std::to_string(file.vois.size()) + " of " +
                           std::to_string(claimed) + " VOIs read");
    }
    file.NrOfVOIs.value = static_cast<std::int32_t>(file.vois.size());
    if (complete && scanUntil(in, kTrailerKeys, kTrailerEnd, file, noMarker)) readVtcNames(in, file, warnings);
    keepValuesApart(file);
    return result;
}

}  // namespace zandrel
