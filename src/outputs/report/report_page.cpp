#include "outputs/report/report_page.h"

#include <algorithm>
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

void writeOverview(std::ostream& out, const ReportModel& model) {
    out << "<h2>Sets</h2>\n<table>\n<tr><th>Set</th><th>Outcome</th><th>ROI file</th><th>Output file</th></tr>\n";
    for (const std::size_t n : overviewOrder(model)) {
        const ReportSet& set = model.sets[n];
        out << "<tr" << (set.outcome == SetOutcome::converted ? "" : " class=\"attention\"") << "><td><a href=\"#"
            << anchorOf(n) << "\">" << n + 1 << "</a></td><td>" << outcomeBadge(set.outcome) << "</td><td>"
            << pathCell(set.files.roiPath) << "</td><td>" << pathCell(set.outputPath) << "</td></tr>\n";
    }
    out << "</table>\n";
}

void writeVoiTable(std::ostream& out, const ReportSet& set) {
    out << "<p>Reference space " << escapeHtml(set.referenceSpace) << ", " << set.vois.size()
        << " VOI(s); centroids in millimetres (x right, y anterior, z superior).</p>\n"
        << "<table>\n<tr><th>VOI</th><th>Colour</th><th>Voxels</th><th>Volume (mm&sup3;)</th><th>Centroid</th>"
           "<th>ROI voxels skipped</th><th>Voxels shared with another VOI</th></tr>\n";
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
        out << "</td><td class=\"num\">" << voi.skippedVoxels << "</td><td class=\"num\">" << figures.sharedVoxels
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
        {"Output", &set.outputPath},
    };
    for (const auto& [label, path] : files) out << "<tr><th>" << label << "</th><td>" << pathCell(*path) << "</td></tr>\n";
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
