#include "outputs/report/report_page.h"

#include <algorithm>
#include <filesystem>
#include <cctype>
#include <cmath>
#include <iomanip>
#include <locale>
#include <sstream>

#include "batch/log_wording.h"
#include "outputs/report/page_style.h"

namespace zandrel::report {

const char* const kPageMarker = "<!-- zandrel quality-control report -->";

namespace {

// Fixed-point text, independent of any global locale.
std::string fixed(double value, int decimals) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << std::fixed << std::setprecision(decimals) << value;
    return out.str();
}

std::string anchorOf(std::size_t set) { return "set-" + std::to_string(set + 1); }

std::string outcomeBadge(SetOutcome outcome) {
    const std::string word = outcomeWord(outcome);
    return "<span class=\"outcome " + word + "\">" + word + "</span>";
}

std::string pathCell(const std::string& path) {
    return path.empty() ? "<span class=\"note\">none</span>" : "<span class=\"path\">" + escapeHtml(path) + "</span>";
}

// The address of a file relative to the report's folder, each byte outside the few that an
// address keeps as they are written as %XX: the link works wherever the folder is moved
// together with the data. Empty when there is no relative way (another drive).
std::string relativeLink(const std::string& folder, const std::string& path) {
    namespace fs = std::filesystem;
    if (folder.empty() || path.empty()) return std::string();
    std::error_code failed;
    fs::path base = fs::path(folder);
    if (!base.has_filename()) base = base.parent_path();
    const fs::path target = fs::absolute(fs::path(path), failed).lexically_normal();
    if (failed) return std::string();
    const fs::path relative = target.lexically_relative(base);
    if (relative.empty()) return std::string();
    static const char* const hex = "0123456789ABCDEF";
    std::string link;
    for (const char c : relative.generic_u8string()) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0 && byte < 0x80) link += c;
        else if (c == '-' || c == '.' || c == '_' || c == '~' || c == '/') link += c;
        else link += std::string("%") + hex[byte >> 4] + hex[byte & 15];
    }
    return link;
}

// A path linked from the page to the file it names, or as plain text when it has no link.
std::string linkedPath(const std::string& folder, const std::string& path) {
    const std::string link = relativeLink(folder, path);
    if (link.empty()) return pathCell(path);
    return "<a class=\"path\" href=\"" + escapeHtml(link) + "\">" + escapeHtml(path) + "</a>";
}

std::string fileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Coverage as the page shows it: rounded down to a tenth of a percent, so a ROI with a
// single voxel outside its functional grid never reads as 100%.
std::string coverageText(double coverage) {
    if (coverage < 0.0) return "n/a";
    return fixed(std::floor(coverage * 1000.0 + 1e-9) / 10.0, 1) + "%";
}

// Problem sets first (failed, then reported), each group in list order.
std::vector<std::size_t> overviewOrder(const ReportModel& model) {
    std::vector<std::size_t> order(model.sets.size());
    for (std::size_t n = 0; n < order.size(); ++n) order[n] = n;
    const auto rank = [&](std::size_t n) {
        const SetOutcome o = model.sets[n].outcome;
        return o == SetOutcome::failed ? 0 : o == SetOutcome::reported ? 1 : 2;
    };
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return rank(a) < rank(b); });
    return order;
}

void writeHeader(std::ostream& out, const ReportModel& model) {
    const BatchSummary& counts = model.summary;
    out << "<h1>Zandrel batch report" << (model.dryRun ? " (dry run)" : "")
        << (model.interruption ? " (interrupted)" : "") << "</h1>\n"
        << "<table class=\"summary\">\n"
        << "<tr><td>List file</td><td>" << pathCell(model.listPath) << "</td></tr>\n"
        << "<tr><td>Date</td><td>" << escapeHtml(model.date) << "</td></tr>\n"
        << "<tr><td>Program</td><td>zandrel " << escapeHtml(model.programVersion) << "</td></tr>\n"
        << "<tr><td>Sets</td><td>" << counts.setsFound << " found, " << counts.converted << " converted, "
        << counts.reported << " reported, " << counts.failed << " failed</td></tr>\n"
        << "<tr><td>Total time</td><td>" << fixed(model.totalSeconds, 2) << " s</td></tr>\n"
        << "</table>\n";
    if (model.interruption)
        out << "<p class=\"notice interrupted\">This run was " << escapeHtml(interruptedText(*model.interruption))
            << ": the sets after it were not run and are not in this report.</p>\n";
    if (counts.reported + counts.failed > 0)
        out << "<p class=\"notice\">" << counts.failed << " failed and " << counts.reported
            << " reported set(s) need attention; they are listed first below.</p>\n";
    if (!model.batchEntries.empty()) {
        out << "<ul class=\"log\">\n";
        for (const std::string& entry : model.batchEntries) out << "<li>" << escapeHtml(entry) << "</li>\n";
        out << "</ul>\n";
    }
}

// One compact row per set, problem sets first: enough to check a batch of a hundred sets
// in one screen and go to the sets that need a look.
void writeOverview(std::ostream& out, const ReportModel& model) {
    out << "<h2>Sets</h2>\n<p class=\"note\">One row per set, problem sets first. Coverage is the share of a ROI's "
           "voxels that lie inside its functional grid (the rest are skipped when its VOI is made); the smallest of "
           "the set's VOIs is shown.</p>\n<div class=\"overview\"><table class=\"overview\">\n<thead><tr><th>Set</th>"
           "<th>ROI file</th><th>Outcome</th><th>VOIs</th><th>Voxels per VOI</th><th>Smallest coverage</th></tr></thead>\n"
           "<tbody>\n";
    for (const std::size_t n : overviewOrder(model)) {
        const ReportSet& set = model.sets[n];
        const bool drawn = set.built && set.vois.size() > 0;
        bool attention = set.outcome != SetOutcome::converted;
        std::string voxels;
        double smallest = 2.0;
        for (const VoiRow& voi : set.vois) {
            voxels += (voxels.empty() ? "" : ", ") + std::to_string(voi.figures.voxels);
            attention = attention || voi.figures.voxels == 0;
            const double coverage = roiCoverage(voi);
            if (coverage >= 0.0) smallest = std::min(smallest, coverage);
        }
        if (smallest < 1.0) attention = true;
        const std::string name = set.files.roiPath.empty() ? "set " + std::to_string(n + 1) : fileNameOf(set.files.roiPath);
        out << "<tr" << (attention ? " class=\"attention\"" : "") << "><td class=\"num\"><a href=\"#" << anchorOf(n)
            << "\">" << n + 1 << "</a></td><td><a href=\"#" << anchorOf(n) << "\" title=\"" << escapeHtml(set.files.roiPath)
            << "\">" << escapeHtml(name) << "</a></td><td>" << outcomeBadge(set.outcome) << "</td>";
        if (drawn)
            out << "<td class=\"num\">" << set.vois.size() << "</td><td class=\"num\">" << voxels << "</td><td class=\"num\">"
                << (smallest > 1.0 ? "n/a" : coverageText(smallest)) << "</td>";
        else
            out << "<td class=\"num\">&ndash;</td><td class=\"num\">&ndash;</td><td class=\"num\">&ndash;</td>";
        out << "</tr>\n";
    }
    out << "</tbody>\n</table></div>\n";
}

void writeVoiTable(std::ostream& out, const ReportSet& set) {
    out << "<p>Reference space " << escapeHtml(set.referenceSpace) << ", " << set.vois.size()
        << " VOI(s); centroids in millimetres (x right, y anterior, z superior).</p>\n"
        << "<table>\n<tr><th>VOI</th><th>Colour</th><th>Voxels</th><th>Volume (mm&sup3;)</th><th>Centroid</th>"
           "<th>ROI voxels skipped</th><th>Coverage</th><th>Voxels shared with another VOI</th></tr>\n";
    for (const VoiRow& voi : set.vois) {
        const VoiFigures& figures = voi.figures;
        const auto [red, green, blue] = voi.colour;
        out << "<tr><td>" << escapeHtml(voi.name) << "</td><td><span class=\"swatch\" style=\"background:rgb("
            << red << ',' << green << ',' << blue << ")\"></span> " << red << ' ' << green << ' ' << blue
            << "</td><td class=\"num\">" << figures.voxels << "</td><td class=\"num\">" << figures.volumeMm3
            << "</td><td class=\"num\">";
        if (figures.hasCentroid())
            out << fixed(figures.centroid[0], 1) << ", " << fixed(figures.centroid[1], 1) << ", " << fixed(figures.centroid[2], 1);
        else
            out << "n/a";
        out << "</td><td class=\"num\">" << voi.skippedVoxels << "</td><td class=\"num\">" << coverageText(roiCoverage(voi))
            << "</td><td class=\"num\">" << figures.sharedVoxels
            << "</td></tr>\n";
    }
    out << "</table>\n";
}

void writePictures(std::ostream& out, const ReportSet& set) {
    if (!set.pictureNote.empty()) out << "<p class=\"note\">" << escapeHtml(set.pictureNote) << "</p>\n";
    for (std::size_t v = 0; v < set.pictures.size(); ++v) {
        const PagePicture& picture = set.pictures[v];
        if (picture.file.empty()) continue;
        const std::string name = v < set.vois.size() ? set.vois[v].name : "";
        out << "<h3>" << escapeHtml(name) << "</h3>\n<figure><img src=\"" << escapeHtml(picture.file) << "\" width=\""
            << picture.width << "\" height=\"" << picture.height << "\" alt=\"" << escapeHtml(picture.alt)
            << "\"><figcaption>Left to right:<ol>";
        for (const std::string& caption : picture.captions) out << "<li>" << escapeHtml(caption) << "</li>";
        out << "</ol></figcaption></figure>\n";
    }
}

void writeSet(std::ostream& out, const ReportModel& model, std::size_t n) {
    const ReportSet& set = model.sets[n];
    out << "<section class=\"set\" id=\"" << anchorOf(n) << "\">\n<h2>Set " << n + 1 << ' '
        << outcomeBadge(set.outcome) << "</h2>\n<table>\n";
    const std::pair<const char*, const std::string*> files[] = {
        {"ROI", &set.files.roiPath},     {"FMR", &set.files.fmrPath},          {"IA", &set.files.iaTrfPath},
        {"FA", &set.files.faTrfPath},    {"ACPC", &set.files.acpcTrfPath},    {"TAL", &set.files.talPath},
    };
    for (const auto& [label, path] : files) out << "<tr><th>" << label << "</th><td>" << pathCell(*path) << "</td></tr>\n";
    // The files the set produced, linked; a dry run's output does not exist yet.
    const bool written = set.outcome == SetOutcome::converted && !model.dryRun;
    out << "<tr><th>Output</th><td>" << (written ? linkedPath(model.folder, set.outputPath) : pathCell(set.outputPath))
        << "</td></tr>\n";
    if (!set.outputFiles.empty()) {
        out << "<tr><th>Other outputs</th><td><ul class=\"files\">";
        for (const std::string& file : set.outputFiles) out << "<li>" << linkedPath(model.folder, file) << "</li>";
        out << "</ul></td></tr>\n";
    }
    out << "</table>\n";
    if (!set.logEntries.empty()) {
        out << "<h3>Log</h3>\n<ul class=\"log\">\n";
        for (const std::string& entry : set.logEntries) out << "<li>" << escapeHtml(entry) << "</li>\n";
        out << "</ul>\n";
    }
    if (set.built) {
        writeVoiTable(out, set);
        writePictures(out, set);
    } else if (set.outcome == SetOutcome::converted && model.dryRun) {
        out << "<p class=\"note\">Dry run: no VOIs were built.</p>\n";
    }
    out << "</section>\n";
}

}  // namespace

std::string escapeHtml(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string renderPage(const ReportModel& model) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << "<!DOCTYPE html>\n" << kPageMarker << "\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        << "<title>Zandrel report: " << escapeHtml(model.listPath) << "</title>\n<style>" << pageStyle()
        << "</style>\n</head>\n<body>\n";
    writeHeader(out, model);
    writeOverview(out, model);
    for (std::size_t n = 0; n < model.sets.size(); ++n) writeSet(out, model, n);
    out << "</body>\n</html>\n";
    return out.str();
}

}  // namespace zandrel::report
