#include "scenarios/transcript_reader.h"

#include <fstream>
#include <stdexcept>

namespace zandrel::wintest {

Transcript readTranscript(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("no transcript at " + path);
    Transcript transcript;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line.empty()) continue;
        try {
            transcript.push_back(nlohmann::json::parse(line));
        } catch (const nlohmann::json::exception& error) {
            throw std::runtime_error(path + " line " + std::to_string(number) + " is not JSON: " + error.what());
        }
    }
    return transcript;
}

std::string eightBitText(const nlohmann::json& value) {
    const std::string utf8 = value.get<std::string>();
    std::string bytes;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        // U+0080..U+00FF arrive as the two bytes C2/C3 xx.
        if ((lead == 0xC2 || lead == 0xC3) && i + 1 < utf8.size()) {
            const unsigned char next = static_cast<unsigned char>(utf8[i + 1]);
            bytes += static_cast<char>(((lead & 0x03) << 6) | (next & 0x3F));
            ++i;
        } else {
            bytes += static_cast<char>(lead);
        }
    }
    return bytes;
}

std::vector<std::string> logTexts(const Transcript& transcript) {
    std::vector<std::string> texts;
    for (const auto& line : transcript) {
        if (line.value("call", "") == "znLogText" && line.contains("text")) texts.push_back(eightBitText(line["text"]));
    }
    return texts;
}

Transcript during(const Transcript& transcript, const std::string& member) {
    std::size_t begin = transcript.size();
    for (std::size_t i = 0; i < transcript.size(); ++i) {
        const auto& line = transcript[i];
        if (line.value("member", "") != member) continue;
        if (line.value("event", "") == "enter") {
            begin = i + 1;
        } else if (line.value("event", "") == "return" && begin <= i) {
            return Transcript(transcript.begin() + static_cast<std::ptrdiff_t>(begin),
                              transcript.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    throw std::runtime_error("the transcript shows no completed call of " + member);
}

int countCalls(const Transcript& transcript, const std::string& function) {
    int count = 0;
    for (const auto& line : transcript) count += line.value("call", "") == function ? 1 : 0;
    return count;
}

std::string dump(const Transcript& transcript) {
    std::string text;
    for (const auto& line : transcript) text += "  " + line.dump() + "\n";
    return text;
}

}  // namespace zandrel::wintest
