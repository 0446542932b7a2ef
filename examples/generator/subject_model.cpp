#include "generator/subject_model.h"

#include <algorithm>
#include <cmath>

#include "generator/random.h"

namespace zandrel::studygen {

namespace {

// Independent random streams of one subject.
enum Stream : std::uint64_t { kGeometry = 1, kPlots = 2, kLandmarks = 3, kStyle = 4 };

// Axial slices: columns run right to left, rows anterior to posterior, and the slice axis,
// once the slice order is normalised, superior to inferior. The anatomical grid runs
// anterior to posterior, superior to inferior, right to left. This proper rotation takes
// the one frame to the other: anatomical (x, y, z) = functional (y, z, x).
Affine functionalToAnatomicalAxes() {
    Affine axes;
    const double rows[3][3] = {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) axes.at(r, c) = rows[r][c];
    return axes;
}

Affine smallRigid(Random& random, double minDegrees, double maxDegrees, double minShift, double maxShift) {
    const double ax = random.signedMagnitude(minDegrees, maxDegrees);
    const double ay = random.signedMagnitude(minDegrees, maxDegrees);
    const double az = random.signedMagnitude(minDegrees, maxDegrees);
    const double tx = random.signedMagnitude(minShift, maxShift);
    const double ty = random.signedMagnitude(minShift, maxShift);
    const double tz = random.signedMagnitude(minShift, maxShift);
    return translation(tx, ty, tz) * rotationDegrees(ax, ay, az);
}

// An oblique axial stack centred near the scanner's isocentre; the slice normal points
// mostly along z, so the z difference of the first and last slice centres dominates.
SliceStack makeStack(const SubjectPlan& plan, Random& random) {
    const double tilt = random.uniform(5.0, 15.0);
    const double roll = random.signedMagnitude(0.0, 4.0);
    const Affine orientation = rotationDegrees(tilt, 0.0, roll);
    const double centre[3] = {random.signedMagnitude(0.0, 5.0), random.signedMagnitude(5.0, 20.0),
                              random.signedMagnitude(0.0, 8.0)};
    const double half = 0.5 * (plan.slices - 1) * (plan.sliceThickness + plan.sliceGap);
    const double towardsFirst = plan.ascendingSlices ? -half : half;

    SliceStack stack{};
    for (int i = 0; i < 3; ++i) {
        stack.rowDir[i] = orientation.at(i, 0);
        stack.colDir[i] = orientation.at(i, 1);
        const double normal = orientation.at(i, 2);
        stack.slice1Centre[i] = centre[i] + normal * towardsFirst;
        stack.sliceNCentre[i] = centre[i] - normal * towardsFirst;
    }
    return stack;
}

Ellipsoid makeBrain(const SubjectPlan& plan, Random& random) {
    Ellipsoid brain{};
    brain.centre[0] = 0.5 * (plan.resolutionX - 1) + random.uniform(-1.0, 1.0);
    brain.centre[1] = 0.5 * (plan.resolutionY - 1) + random.uniform(-1.0, 1.0);
    brain.centre[2] = 0.5 * (plan.slices - 1) + random.uniform(-0.5, 0.5);
    brain.radius[0] = 0.36 * plan.resolutionX;
    brain.radius[1] = 0.43 * plan.resolutionY;
    brain.radius[2] = 0.58 * plan.slices;
    return brain;
}

double clampCentre(double centre, double radius, int size) {
    const double low = radius + 1.0;
    const double high = size - 2.0 - radius;
    return low > high ? 0.5 * (size - 1) : std::min(std::max(centre, low), high);
}

// One blob: an ellipsoid with a ragged rim, clipped to the grid. Well inside the brain,
// unless `onFirstSlice`, which centres it on slice 0 so that it touches the grid's edge.
Plot makePlot(const SubjectPlan& plan, const Ellipsoid& brain, bool onFirstSlice, Random& random) {
    const double inplaneScale = std::min(1.0, std::max(0.7, plan.resolutionX / 64.0));
    Ellipsoid blob{};
    blob.radius[0] = random.uniform(2.2, 4.2) * inplaneScale;
    blob.radius[1] = random.uniform(2.2, 4.2) * inplaneScale;
    blob.radius[2] = random.uniform(1.2, 2.0);
    double offset[3];
    do {
        for (double& o : offset) o = random.uniform(-0.55, 0.55);
    } while (offset[0] * offset[0] + offset[1] * offset[1] + offset[2] * offset[2] > 0.55 * 0.55);
    const int sizes[3] = {plan.resolutionX, plan.resolutionY, plan.slices};
    for (int i = 0; i < 3; ++i) {
        blob.centre[i] = clampCentre(brain.centre[i] + offset[i] * brain.radius[i], blob.radius[i], sizes[i]);
    }
    if (onFirstSlice) blob.centre[2] = random.uniform(0.0, 0.4);

    int low[3], high[3];
    for (int i = 0; i < 3; ++i) {
        low[i] = std::max(0, static_cast<int>(std::floor(blob.centre[i] - blob.radius[i])) - 1);
        high[i] = std::min(sizes[i] - 1, static_cast<int>(std::ceil(blob.centre[i] + blob.radius[i])) + 1);
    }
    Plot plot;
    for (int z = low[2]; z <= high[2]; ++z)
        for (int y = low[1]; y <= high[1]; ++y)
            for (int x = low[0]; x <= high[0]; ++x) {
                const double rim = 1.0 + random.uniform(-0.15, 0.15);
                if (blob.normalisedDistance2(x, y, z) <= rim) plot.voxels.push_back({x, y, z});
            }
    if (plot.voxels.empty()) {
        plot.voxels.push_back({static_cast<int>(std::lround(blob.centre[0])),
                               static_cast<int>(std::lround(blob.centre[1])),
                               std::max(0, static_cast<int>(std::lround(blob.centre[2])))});
    }
    if (!plan.sortedVoxels) {
        for (std::size_t i = plot.voxels.size(); i > 1; --i) {
            const auto j = static_cast<std::size_t>(random.integer(0, static_cast<int>(i) - 1));
            std::swap(plot.voxels[i - 1], plot.voxels[j]);
        }
    }
    return plot;
}

// Landmarks near the atlas extents (AP.x 58, PP.x 230, SP.y 54, IP.y 170, RP.z 60,
// LP.z 196), AC on the grid's centre point and PC about 24 voxels behind it.
std::array<Voxel, 8> makeLandmarks(Random& random) {
    const int pcX = random.integer(150, 154);
    const int pcY = 128 + random.integer(-1, 1);
    return {{{128, 128, 128},
             {pcX, pcY, 128},
             {random.integer(57, 63), 128 + random.integer(-2, 2), 128},
             {random.integer(226, 234), 128 + random.integer(-2, 2), 128},
             {128 + random.integer(-2, 2), random.integer(52, 58), 128},
             {128 + random.integer(-2, 2), random.integer(166, 174), 128},
             {128, 128, random.integer(57, 63)},
             {128, 128, random.integer(193, 199)}}};
}

}  // namespace

double Ellipsoid::normalisedDistance2(double x, double y, double z) const {
    const double dx = (x - centre[0]) / radius[0];
    const double dy = (y - centre[1]) / radius[1];
    const double dz = (z - centre[2]) / radius[2];
    return dx * dx + dy * dy + dz * dz;
}

SubjectModel buildSubjectModel(const SubjectPlan& plan) {
    SubjectModel model;
    Random geometry(streamSeed(plan.seed, kGeometry));
    model.initialAlignment = smallRigid(geometry, 1.0, 6.0, 2.0, 8.0) * functionalToAnatomicalAxes();
    model.fineAlignment = smallRigid(geometry, 0.1, 0.8, 0.1, 0.9);
    model.acpc = smallRigid(geometry, 1.0, 5.0, 2.0, 6.0);
    // Rotations of at least one degree about every axis keep each diagonal element
    // visibly below 1, so the extra transformation is never mistaken for a shift only.
    model.extra = smallRigid(geometry, 1.0, 2.5, 1.0, 3.0);
    model.stack = makeStack(plan, geometry);
    model.brain = makeBrain(plan, geometry);

    Random plots(streamSeed(plan.seed, kPlots));
    for (int i = 0; i < plan.plots; ++i) {
        const bool onFirstSlice = plan.edgeBlob && i + 1 == plan.plots;
        model.plots.push_back(makePlot(plan, model.brain, onFirstSlice, plots));
    }

    Random landmarks(streamSeed(plan.seed, kLandmarks));
    model.landmarks = makeLandmarks(landmarks);

    Random style(streamSeed(plan.seed, kStyle));
    model.matrixStyle = style.integer(0, 2);
    return model;
}

}  // namespace zandrel::studygen
