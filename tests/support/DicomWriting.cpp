#include "DicomWriting.h"

#include <gdcmAttribute.h>
#include <gdcmFileChangeTransferSyntax.h>
#include <gdcmItem.h>
#include <gdcmSequenceOfItems.h>
#include <gdcmUIDGenerator.h>
#include <gdcmWriter.h>

#include <cstdio>
#include <optional>
#include <tuple>
#include <vector>

namespace wexlan::io::test {

namespace {

template <std::uint16_t Group, std::uint16_t Element, typename Value>
void Put(gdcm::DataSet& ds, const Value& value) {
    gdcm::Attribute<Group, Element> a;
    a.SetValue(value);
    ds.Replace(a.GetAsDataElement());
}

template <std::uint16_t Group, std::uint16_t Element, std::size_t N>
void Put(gdcm::DataSet& ds, const std::array<double, N>& values) {
    gdcm::Attribute<Group, Element> a;
    for (std::size_t i = 0; i < N; ++i) {
        a.SetValue(values[i], static_cast<unsigned int>(i));
    }
    ds.Replace(a.GetAsDataElement());
}

// Optional elements are written when set.
template <std::uint16_t Group, std::uint16_t Element, typename Value>
void Put(gdcm::DataSet& ds, const std::optional<Value>& value) {
    if (value) {
        Put<Group, Element>(ds, *value);
    }
}

// Values of multi-valued attributes written as text ("1", "1\\2").
void PutText(gdcm::DataSet& ds, const gdcm::Tag& tag, gdcm::VR vr, std::string text) {
    if (text.size() % 2 != 0) {
        text += ' ';
    }
    gdcm::DataElement element(tag);
    element.SetVR(vr);
    element.SetByteValue(text.data(), static_cast<std::uint32_t>(text.size()));
    ds.Replace(element);
}

// A sequence holding one item per data set.
void PutSequence(gdcm::DataSet& ds, const gdcm::Tag& tag, const std::vector<gdcm::DataSet>& items) {
    gdcm::SmartPointer<gdcm::SequenceOfItems> sequence = new gdcm::SequenceOfItems;
    sequence->SetLengthToUndefined();
    for (const gdcm::DataSet& item : items) {
        gdcm::Item entry;
        entry.SetVLToUndefined();
        entry.SetNestedDataSet(item);
        sequence->AddItem(entry);
    }
    gdcm::DataElement element(tag);
    element.SetVR(gdcm::VR::SQ);
    element.SetValue(*sequence);
    element.SetVLToUndefined();
    ds.Replace(element);
}

void PutFunctionalGroups(gdcm::DataSet& ds, const DicomSlice& s) {
    gdcm::DataSet shared;
    if (s.pixelSpacing) {
        gdcm::DataSet measures;
        Put<0x0028, 0x0030>(measures, *s.pixelSpacing);
        PutSequence(shared, gdcm::Tag(0x0028, 0x9110), {measures});
    }
    if (s.orientation) {
        gdcm::DataSet plane;
        Put<0x0020, 0x0037>(plane, *s.orientation);
        PutSequence(shared, gdcm::Tag(0x0020, 0x9116), {plane});
    }
    PutSequence(ds, gdcm::Tag(0x5200, 0x9229), {shared});

    std::vector<gdcm::DataSet> frames(s.framePositions.size());
    for (std::size_t f = 0; f < frames.size(); ++f) {
        gdcm::DataSet position;
        Put<0x0020, 0x0032>(position, s.framePositions[f]);
        PutSequence(frames[f], gdcm::Tag(0x0020, 0x9113), {position});
        if (f < s.frameRescales.size()) {
            gdcm::DataSet rescale;
            Put<0x0028, 0x1053>(rescale, s.frameRescales[f][0]);
            Put<0x0028, 0x1052>(rescale, s.frameRescales[f][1]);
            PutSequence(frames[f], gdcm::Tag(0x0028, 0x9145), {rescale});
        }
    }
    PutSequence(ds, gdcm::Tag(0x5200, 0x9230), frames);
}

// The identifying elements every file has.
void PutIdentity(gdcm::DataSet& ds, const char* sopClass, const char* modality, const char* study,
                 const char* series) {
    Put<0x0008, 0x0016>(ds, sopClass);
    Put<0x0008, 0x0018>(ds, gdcm::UIDGenerator().Generate());
    Put<0x0008, 0x0060>(ds, modality);
    Put<0x0020, 0x000d>(ds, study);
    Put<0x0020, 0x000e>(ds, series);
}

}  // namespace

std::string Pixels16(const std::vector<int>& values) {
    std::string bytes;
    for (int v : values) {
        const auto u = static_cast<std::uint16_t>(v);
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    return bytes;
}

bool WriteDicom(const std::string& path, const DicomSlice& s) {
    gdcm::Writer writer;
    gdcm::DataSet& ds = writer.GetFile().GetDataSet();
    PutIdentity(ds, s.sopClassUid.c_str(), "CT", s.studyUid.c_str(), s.seriesUid.c_str());
    Put<0x0028, 0x0004>(ds, "MONOCHROME2");
    Put<0x0028, 0x0002>(ds, std::uint16_t{1});
    Put<0x0028, 0x0010>(ds, static_cast<std::uint16_t>(s.rows));
    Put<0x0028, 0x0011>(ds, static_cast<std::uint16_t>(s.columns));
    Put<0x0028, 0x0100>(ds, static_cast<std::uint16_t>(s.bitsAllocated));
    Put<0x0028, 0x0101>(ds, static_cast<std::uint16_t>(s.bitsStored));
    Put<0x0028, 0x0102>(ds, static_cast<std::uint16_t>(s.bitsStored - 1));
    Put<0x0028, 0x0103>(ds, static_cast<std::uint16_t>(s.isSigned ? 1 : 0));
    if (s.frames > 1) {
        Put<0x0028, 0x0008>(ds, s.frames);
    }
    if (!s.framePositions.empty()) {
        PutFunctionalGroups(ds, s);
    } else {
        Put<0x0020, 0x0032>(ds, s.position);
        Put<0x0020, 0x0037>(ds, s.orientation);
        Put<0x0028, 0x0030>(ds, s.pixelSpacing);
    }
    Put<0x0018, 0x0050>(ds, s.sliceThickness);
    Put<0x0018, 0x0088>(ds, s.spacingBetweenSlices);
    if (s.echoNumber)
        PutText(ds, gdcm::Tag(0x0018, 0x0086), gdcm::VR::IS, std::to_string(*s.echoNumber));
    Put<0x0020, 0x0013>(ds, s.instanceNumber);
    Put<0x0028, 0x1052>(ds, s.intercept);
    Put<0x0028, 0x1053>(ds, s.slope);
    if (s.comments > 0) {
        PutText(ds, gdcm::Tag(0x0020, 0x4000), gdcm::VR::LT, std::string(s.comments, 'c'));
    }
    for (const auto& [tag, vr, text] :
         {std::tuple{gdcm::Tag(0x0010, 0x0010), gdcm::VR::PN, &s.patientName},
          {gdcm::Tag(0x0010, 0x0020), gdcm::VR::LO, &s.patientId},
          {gdcm::Tag(0x0008, 0x0020), gdcm::VR::DA, &s.studyDate},
          {gdcm::Tag(0x0008, 0x1030), gdcm::VR::LO, &s.studyDescription}}) {
        if (!text->empty()) {
            PutText(ds, tag, vr, *text);
        }
    }
    gdcm::DataElement pixels(gdcm::Tag(0x7fe0, 0x0010));
    pixels.SetVR(s.bitsAllocated == 8 ? gdcm::VR::OB : gdcm::VR::OW);
    pixels.SetByteValue(s.pixels.data(), static_cast<std::uint32_t>(s.pixels.size()));
    ds.Replace(pixels);

    writer.GetFile().GetHeader().SetDataSetTransferSyntax(
        s.encoding == "implicit" ? gdcm::TransferSyntax::ImplicitVRLittleEndian
        : s.encoding == "big"    ? gdcm::TransferSyntax::ExplicitVRBigEndian
                                 : gdcm::TransferSyntax::ExplicitVRLittleEndian);
    writer.SetFileName(path.c_str());
    if (!writer.Write()) {
        return false;
    }
    if (s.encoding != "rle") {
        return true;
    }
    const std::string packed = path + ".rle";
    gdcm::FileChangeTransferSyntax change;
    change.SetTransferSyntax(gdcm::TransferSyntax::RLELossless);
    change.SetInputFileName(path.c_str());
    change.SetOutputFileName(packed.c_str());
    return change.Change() && std::rename(packed.c_str(), path.c_str()) == 0;
}

bool WriteDicomReport(const std::string& path) {
    gdcm::Writer writer;
    gdcm::DataSet& ds = writer.GetFile().GetDataSet();
    PutIdentity(ds, "1.2.840.10008.5.1.4.1.1.88.11", "SR", "1.2.826.0.1.3680043.8.498.100",
                "1.2.826.0.1.3680043.8.498.9");
    writer.GetFile().GetHeader().SetDataSetTransferSyntax(
        gdcm::TransferSyntax::ExplicitVRLittleEndian);
    writer.SetFileName(path.c_str());
    return writer.Write();
}

}  // namespace wexlan::io::test
