#include "outputs/timeseries/timeseries_files.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "io/json_writer.h"
#include "io/shortest_float.h"

#include "zandrel/build_features.h"

namespace zandrel {

namespace {

std::string tableCell(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

std::string valueText(double value) { return std::isnan(value) ? std::string("n/a") : shortestFloat(value); }

}  // namespace

std::string timeSeriesTableName(const std::string& stemPath, TimeStatistic statistic) {
    return stemPath + "_stat-" + statisticName(statistic) + "_timeseries.tsv";
}

std::string timeSeriesSidecarName(const std::string& stemPath) { return stemPath + "_timeseries.json"; }

std::string timeSeriesTable(const std::vector<std::string>& columns, const TimeSeriesResult& result,
                            std::size_t statistic) {
    std::string out;
    for (std::size_t v = 0; v < columns.size(); ++v) out += (v == 0 ? "" : "\t") + tableCell(columns[v]);
    out += '\n';
    for (std::int32_t t = 0; t < result.volumes; ++t) {
        for (std::size_t v = 0; v < columns.size(); ++v) {
            if (v > 0) out += '\t';
            const VoiSeries* voi = v < result.vois.size() ? &result.vois[v] : nullptr;
            const bool none = voi == nullptr || voi->none() || statistic >= voi->series.size() ||
                              static_cast<std::size_t>(t) >= voi->series[statistic].size();
            out += none ? std::string("n/a") : valueText(voi->series[statistic][static_cast<std::size_t>(t)]);
        }
        out += '\n';
    }
    return out;
}

std::string statisticDefinition(TimeStatistic statistic, bool weighted) {
    switch (statistic) {
        case TimeStatistic::Mean:
            return weighted ? "The mean of the selected voxels' samples in each volume, each sample weighted by the "
                              "share of its voxel that the VOI fills (its occupancy)."
                            : "The mean of the selected voxels' samples in each volume.";
        case TimeStatistic::Median:
            return "The middle value of the selected voxels' samples in each volume, or the mean of the two "
                   "middle values when their count is even.";
        case TimeStatistic::Std:
            return "The population standard deviation of the selected voxels' samples in each volume (the sum "
                   "of squared deviations from their mean divided by their count, unweighted).";
        case TimeStatistic::Min: return "The smallest of the selected voxels' samples in each volume.";
        case TimeStatistic::Max: return "The largest of the selected voxels' samples in each volume.";
        case TimeStatistic::Eigen: break;
    }
    return "The first eigenvariate: the first left singular vector of the volumes-by-voxels matrix of samples "
           "with each voxel's mean removed, times the first singular value over the square root of the voxel "
           "count, signed so that the voxel weights (the first right singular vector) sum to a positive number.";
}

std::string colourText(std::int32_t red, std::int32_t green, std::int32_t blue) {
    auto clamp = [](std::int32_t c) { return c < 0 ? 0 : (c > 255 ? 255 : c); };
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", clamp(red), clamp(green), clamp(blue));
    return text;
}

std::string timeSeriesSidecar(const TimeSeriesSidecar& sidecar) {
    std::ostringstream out;
    JsonWriter json(out);
    json.beginObject();
    if (sidecar.repetitionTimeMs && *sidecar.repetitionTimeMs > 0) {
        json.key("SamplingFrequency").number(1000.0 / static_cast<double>(*sidecar.repetitionTimeMs));
    }
    json.key("Statistics").beginArray();
    for (std::size_t s = 0; s < sidecar.statistics.size(); ++s) {
        json.beginObject(true);
        json.key("Name").string(statisticName(sidecar.statistics[s]));
        json.key("Definition").string(statisticDefinition(sidecar.statistics[s], sidecar.weighted));
        if (s < sidecar.tables.size()) json.key("Table").string(sidecar.tables[s]);
        json.endObject();
    }
    json.endArray();
    json.key("MinOccupancy").number(sidecar.minOccupancy);
    json.key("Weighted").boolean(sidecar.weighted);
    json.key("VoiFile").string(sidecar.voiFile);
    json.key("RunFiles").beginObject(true);
    for (const auto& [kind, path] : sidecar.runFiles) json.key(kind).string(path);
    json.endObject();
    json.key("ChainMatrix").beginObject(true);
    json.key("Maps").string("anatomical grid to functional grid");
    json.key("RowMajor").beginArray(true);
    for (const float value : sidecar.chainMatrix) json.number(value);
    json.endArray();
    json.endObject();
    json.key("Columns").beginArray();
    for (const TimeSeriesSidecar::Column& column : sidecar.columns) {
        json.beginObject(true);
        json.key("Name").string(column.name);
        json.key("Voi").string(column.voi);
        json.key("Color").string(column.colour);
        json.key("SelectedVoxels").integer(column.selectedVoxels);
        json.endObject();
    }
    json.endArray();
    json.key("Program").beginObject(true);
    json.key("Name").string("zandrel");
    json.key("Version").string(kVersion);
    json.endObject();
    json.endObject();
    std::string text = out.str();
    if (text.empty() || text.back() != '\n') text += '\n';
    return text;
}

}  // namespace zandrel
