#include "DicomFrames.h"

#include <gdcmDataElement.h>
#include <gdcmSequenceOfItems.h>
#include <gdcmTag.h>

#include <string>

#include "DicomTags.h"

namespace wexlan::io {

namespace {

using namespace dicomtag;

const gdcm::Tag kSharedGroups(0x5200, 0x9229);
const gdcm::Tag kPerFrameGroups(0x5200, 0x9230);
const gdcm::Tag kPlanePosition(0x0020, 0x9113);
const gdcm::Tag kPlaneOrientation(0x0020, 0x9116);
const gdcm::Tag kPixelMeasures(0x0028, 0x9110);
const gdcm::Tag kValueTransformation(0x0028, 0x9145);
const gdcm::Tag kGridFrameOffsets(0x3004, 0x000c);

std::string Text(const gdcm::DataSet& ds, const gdcm::Tag& tag) {
    if (!ds.FindDataElement(tag)) {
        return {};
    }
    const gdcm::ByteValue* value = ds.GetDataElement(tag).GetByteValue();
    if (value == nullptr || value->GetPointer() == nullptr) {
        return {};
    }
    return std::string(value->GetPointer(), value->GetLength());
}

// The items of a sequence. The pointer keeps them alive: GDCM may parse them anew.
gdcm::SmartPointer<gdcm::SequenceOfItems> Items(const gdcm::DataSet& ds, const gdcm::Tag& tag) {
    if (!ds.FindDataElement(tag)) {
        return nullptr;
    }
    return ds.GetDataElement(tag).GetValueAsSQ();
}

// A value inside the first item of a functional group macro ("Plane Position
// Sequence", ...) of one group item.
std::string MacroValue(const gdcm::DataSet& group, const gdcm::Tag& macro,
                       const gdcm::Tag& attribute) {
    const gdcm::SmartPointer<gdcm::SequenceOfItems> items = Items(group, macro);
    if (!items || items->GetNumberOfItems() == 0) {
        return {};
    }
    return Text(items->GetItem(1).GetNestedDataSet(), attribute);
}

class FunctionalGroups {
public:
    FunctionalGroups(const gdcm::DataSet& ds, int frames)
        : m_shared(Items(ds, kSharedGroups)), m_perFrame(Items(ds, kPerFrameGroups)) {
        // A per-frame list of the wrong length cannot be matched to the frames.
        if (m_perFrame && m_perFrame->GetNumberOfItems() != static_cast<std::size_t>(frames)) {
            m_perFrame = nullptr;
        }
    }

    bool Present() const { return m_shared || m_perFrame; }

    /// The frame's own value, else the shared one, else empty.
    std::string Value(int frame, const gdcm::Tag& macro, const gdcm::Tag& attribute) const {
        if (m_perFrame) {
            const auto& item = m_perFrame->GetItem(static_cast<std::size_t>(frame) + 1);
            std::string text = MacroValue(item.GetNestedDataSet(), macro, attribute);
            if (!text.empty()) {
                return text;
            }
        }
        if (m_shared && m_shared->GetNumberOfItems() > 0) {
            return MacroValue(m_shared->GetItem(1).GetNestedDataSet(), macro, attribute);
        }
        return {};
    }

private:
    gdcm::SmartPointer<gdcm::SequenceOfItems> m_shared;
    gdcm::SmartPointer<gdcm::SequenceOfItems> m_perFrame;
};

}  // namespace

FrameLayout ReadFrameLayout(const gdcm::DataSet& ds, int frames, const DicomHeader& header) {
    FrameLayout layout;
    DicomHeader top = header;  // what the top level says, overridden by the groups
    const FunctionalGroups groups(ds, frames);
    if (groups.Present()) {
        top.hasOrientation = ParseDecimals(groups.Value(0, kPlaneOrientation, kOrientation),
                                           top.orientation, 6) == 6 ||
                             top.hasOrientation;
        ParseDecimals(groups.Value(0, kPixelMeasures, kPixelSpacing), top.pixelSpacing, 2);
        ParseDecimals(groups.Value(0, kPixelMeasures, kSliceThickness), &top.sliceThickness, 1);
        ParseDecimals(groups.Value(0, kPixelMeasures, kSpacingBetweenSlices),
                      &top.spacingBetweenSlices, 1);
    }
    layout.plane = top.Plane();
    layout.nominalSpacing = top.NominalSliceSpacing();

    for (int f = 0; f < frames; ++f) {
        Rescale r{header.slope, header.intercept};
        if (groups.Present()) {
            ParseDecimals(groups.Value(f, kValueTransformation, kRescaleSlope), &r.slope, 1);
            ParseDecimals(groups.Value(f, kValueTransformation, kRescaleIntercept), &r.intercept,
                          1);
            if (r.slope == 0) {
                r.slope = 1;
            }
        }
        layout.rescales.push_back(r);
    }

    if (groups.Present()) {
        for (int f = 0; f < frames; ++f) {
            Vec3 p;
            if (ParseDecimals(groups.Value(f, kPlanePosition, kPosition), p.data(), 3) != 3) {
                layout.positions.clear();
                break;
            }
            layout.positions.push_back(p);
        }
    }
    // Dose grids: offsets of each frame along the normal from the given position.
    const std::string offsetsText = Text(ds, kGridFrameOffsets);
    std::vector<double> offsets;
    if (layout.positions.empty() && header.hasPosition && !offsetsText.empty()) {
        offsets.resize(static_cast<std::size_t>(frames));
    }
    if (!offsets.empty() && ParseDecimals(offsetsText, offsets.data(), frames) == frames) {
        const Vec3& r = layout.plane.row;
        const Vec3& c = layout.plane.column;
        const Vec3 n = {r[1] * c[2] - r[2] * c[1], r[2] * c[0] - r[0] * c[2],
                        r[0] * c[1] - r[1] * c[0]};
        for (int f = 0; f < frames; ++f) {
            const double d = offsets[static_cast<std::size_t>(f)];
            layout.positions.push_back({header.position[0] + d * n[0],
                                        header.position[1] + d * n[1],
                                        header.position[2] + d * n[2]});
        }
    }
    return layout;
}

}  // namespace wexlan::io
