#include "GltfCheck.h"

#include <nlohmann/json.hpp>

#include <vtkBase64Utilities.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ByteCursor.h"
#include "JsonDocument.h"
#include "MappedFile.h"
#include "ReadError.h"
#include "TextCursor.h"

namespace wexlan::io {

namespace {

using Json = nlohmann::json;

const Json& List(const Json& doc, const char* name) {
    static const Json kEmpty = Json::array();
    const auto it = doc.find(name);
    if (it == doc.end()) {
        return kEmpty;
    }
    if (!it->is_array()) {
        Fail("the glTF document's \"", name, "\" is not a list");
    }
    return *it;
}

// A non-negative integer member, or `fallback` when it is absent.
std::uint64_t Count(const Json& object, const char* name, const std::string& owner,
                    std::int64_t fallback = -1) {
    const auto it = object.find(name);
    if (it == object.end()) {
        if (fallback < 0) {
            Fail(owner, " has no \"", name, "\"");
        }
        return static_cast<std::uint64_t>(fallback);
    }
    if (!it->is_number_integer() || it->get<std::int64_t>() < 0) {
        Fail(owner, ": \"", name, "\" is not a count");
    }
    return it->get<std::uint64_t>();
}

// An index member that must name one of `size` objects of a list.
void CheckIndex(const Json& value, std::size_t size, const std::string& owner, const char* list) {
    if (!value.is_number_integer() || value.get<std::int64_t>() < 0 ||
        value.get<std::uint64_t>() >= size) {
        Fail(owner, " refers to ", list, " ", value.dump(), " but the document has ", size);
    }
}

void CheckMember(const Json& object, const char* name, std::size_t size, const std::string& owner,
                 const char* list) {
    const auto it = object.find(name);
    if (it != object.end()) {
        CheckIndex(*it, size, owner, list);
    }
}

// The bytes of one buffer, as far as they are there.
struct BufferBytes {
    std::unique_ptr<MappedFile> file;    // a buffer file beside the document
    std::vector<unsigned char> decoded;  // embedded base64 data
    const char* begin = nullptr;
    std::uint64_t size = 0;
};

BufferBytes LoadBuffer(const Json& buffer, std::size_t i, const std::string& folder, bool binary,
                       std::string_view binChunk) {
    BufferBytes bytes;
    const auto uri = buffer.find("uri");
    if (uri == buffer.end()) {
        if (i == 0) {  // only the first buffer may live in the .glb
            bytes.begin = binChunk.data();
            bytes.size = binChunk.size();
        }
        return bytes;
    }
    if (binary) {
        // VTK's loader crashes on binary files whose buffers lie elsewhere.
        Fail("buffer ", i,
             " of the binary glTF file lies outside its binary chunk; such "
             "files are not supported");
    }
    if (!uri->is_string()) {
        Fail("buffer ", i, ": its \"uri\" is not text");
    }
    const std::string& text = uri->get_ref<const std::string&>();
    if (text.rfind("data:", 0) == 0) {
        const std::size_t comma = text.find(";base64,");
        if (comma == std::string::npos) {
            Fail("buffer ", i, ": only base64 data can be embedded");
        }
        const std::size_t digits = text.size() - comma - 8;
        bytes.decoded.resize(digits / 4 * 3 + 3);
        bytes.size = vtkBase64Utilities::DecodeSafely(
            reinterpret_cast<const unsigned char*>(text.data() + comma + 8), digits,
            bytes.decoded.data(), bytes.decoded.size());
        bytes.begin = reinterpret_cast<const char*>(bytes.decoded.data());
        return bytes;
    }
    const std::string file = (std::filesystem::path(folder) / text).string();
    try {
        bytes.file = std::make_unique<MappedFile>(file);
    } catch (const ReadError& e) {
        Fail("its buffer file ", file, ": ", e.what());
    }
    bytes.begin = bytes.file->Begin();
    bytes.size = bytes.file->Size();
    return bytes;
}

int ComponentBytes(const Json& type) {
    switch (type.is_number_integer() ? type.get<int>() : 0) {
        case 5120:
        case 5121:
            return 1;
        case 5122:
        case 5123:
            return 2;
        case 5125:
        case 5126:
            return 4;
        default:
            return 0;
    }
}

int Components(const Json& type) {
    const std::string t = type.is_string() ? type.get<std::string>() : "";
    if (t == "SCALAR")
        return 1;
    if (t == "VEC2")
        return 2;
    if (t == "VEC3")
        return 3;
    if (t == "VEC4" || t == "MAT2")
        return 4;
    if (t == "MAT3")
        return 9;
    if (t == "MAT4")
        return 16;
    return 0;
}

// A node's transform: VTK's loader keeps no matrix for a list of another length and
// then multiplies with the missing one.
void CheckTransform(const Json& node, const std::string& owner) {
    static const struct {
        const char* name;
        std::size_t length;
    } kParts[] = {{"matrix", 16}, {"rotation", 4}, {"scale", 3}, {"translation", 3}};
    for (const auto& part : kParts) {
        if (!node.contains(part.name)) {
            continue;
        }
        const Json& values = node[part.name];
        if (!values.is_array() || values.size() != part.length ||
            !std::all_of(values.begin(), values.end(),
                         [](const Json& v) { return v.is_number(); })) {
            Fail(owner, "'s ", part.name, " is not a list of ", part.length, " numbers");
        }
    }
}

void CheckNodes(const Json& nodes, std::size_t meshes, std::size_t skins, std::size_t cameras) {
    std::vector<int> parents(nodes.size(), -1);
    for (std::size_t n = 0; n < nodes.size(); ++n) {
        const std::string owner = "node " + std::to_string(n);
        const Json& node = nodes[n];
        if (!node.is_object()) {
            Fail(owner, " is not a JSON object");
        }
        CheckMember(node, "mesh", meshes, owner, "mesh");
        CheckMember(node, "skin", skins, owner, "skin");
        CheckMember(node, "camera", cameras, owner, "camera");
        CheckTransform(node, owner);
        for (const Json& child : List(node, "children")) {
            CheckIndex(child, nodes.size(), owner, "node");
            const auto c = child.get<std::size_t>();
            if (parents[c] != -1 || c == n) {
                Fail("node ", c, " has more than one parent: the nodes do not form trees");
            }
            parents[c] = static_cast<int>(n);
        }
    }
    // Every chain of parents must end: a cycle would never reach a root.
    for (std::size_t n = 0; n < nodes.size(); ++n) {
        std::size_t steps = 0;
        for (int p = parents[n]; p != -1; p = parents[static_cast<std::size_t>(p)]) {
            if (++steps > nodes.size()) {
                Fail("node ", n, " is its own ancestor: the nodes do not form trees");
            }
        }
    }
}

// Requires every index to name an object and every byte range to be there; loads the
// buffers into `loaded`.
void CheckDocument(const Json& doc, const std::string& folder, bool binary,
                   std::string_view binChunk, std::vector<BufferBytes>& loaded) {
    if (!doc.is_object()) {
        Fail("not a glTF document (it is not a JSON object)");
    }
    const Json& buffers = List(doc, "buffers");
    const Json& views = List(doc, "bufferViews");
    const Json& accessors = List(doc, "accessors");
    const Json& meshes = List(doc, "meshes");
    const Json& nodes = List(doc, "nodes");
    std::vector<std::uint64_t> bufferBytes;
    for (std::size_t b = 0; b < buffers.size(); ++b) {
        const std::string owner = "buffer " + std::to_string(b);
        if (!buffers[b].is_object()) {
            Fail(owner, " is not a JSON object");
        }
        const std::uint64_t length = Count(buffers[b], "byteLength", owner);
        loaded.push_back(LoadBuffer(buffers[b], b, folder, binary, binChunk));
        const std::uint64_t available = loaded.back().size;
        if (length > available) {
            Fail(owner, " announces ", length, " bytes but only ", available, " are there");
        }
        bufferBytes.push_back(length);
    }
    std::vector<std::uint64_t> viewBytes;
    std::vector<std::uint64_t> viewStrides;
    for (std::size_t v = 0; v < views.size(); ++v) {
        const std::string owner = "buffer view " + std::to_string(v);
        const Json& view = views[v];
        if (!view.is_object() || view.find("buffer") == view.end()) {
            Fail(owner, " names no buffer");
        }
        CheckIndex(view["buffer"], buffers.size(), owner, "buffer");
        const std::uint64_t offset = Count(view, "byteOffset", owner, 0);
        const std::uint64_t length = Count(view, "byteLength", owner);
        const std::uint64_t stride = Count(view, "byteStride", owner, 0);
        const std::uint64_t available = bufferBytes[view["buffer"].get<std::size_t>()];
        if (offset > available || length > available - offset) {
            Fail(owner, " reaches beyond its buffer (bytes ", offset, " to ", offset + length,
                 " of ", available, ")");
        }
        if (stride != 0 && (stride < 4 || stride > 252)) {
            Fail(owner, " has a byte stride of ", stride, " (4 to 252 are possible)");
        }
        viewBytes.push_back(length);
        viewStrides.push_back(stride);
    }
    struct AccessorKind {
        int components;
        int componentType;
        std::uint64_t count;
    };
    std::vector<AccessorKind> kinds;
    for (std::size_t a = 0; a < accessors.size(); ++a) {
        const std::string owner = "accessor " + std::to_string(a);
        const Json& accessor = accessors[a];
        if (!accessor.is_object()) {
            Fail(owner, " is not a JSON object");
        }
        if (accessor.find("bufferView") == accessor.end() ||
            accessor.find("sparse") != accessor.end()) {
            Fail(owner,
                 ": accessors without a buffer view or with sparse storage are not "
                 "supported");
        }
        CheckIndex(accessor["bufferView"], views.size(), owner, "buffer view");
        const int componentBytes = ComponentBytes(accessor.value("componentType", Json()));
        const int components = Components(accessor.value("type", Json()));
        if (componentBytes == 0 || components == 0) {
            Fail(owner, " has an unknown component type or element type");
        }
        const std::uint64_t count = Count(accessor, "count", owner);
        const std::uint64_t offset = Count(accessor, "byteOffset", owner, 0);
        const auto view = accessor["bufferView"].get<std::size_t>();
        const std::uint64_t element = static_cast<std::uint64_t>(componentBytes) * components;
        const std::uint64_t stride = viewStrides[view] != 0 ? viewStrides[view] : element;
        const unsigned __int128 needed =
            count == 0 ? 0
                       : static_cast<unsigned __int128>(offset) +
                             static_cast<unsigned __int128>(stride) * (count - 1) + element;
        if (count == 0 || needed > viewBytes[view]) {
            Fail(owner, " needs ", ToDecimal(needed), " bytes of buffer view ", view,
                 " but the view has ", viewBytes[view]);
        }
        kinds.push_back({components, accessor["componentType"].get<int>(), count});
    }
    // VTK's loader takes every accessor for what its use says it is: an index list of
    // floats, or normals shorter than the points, are read out of bounds.
    const auto checkUse = [&](const Json& index, const std::string& owner, const char* use,
                              std::initializer_list<int> components, bool floatOnly,
                              std::uint64_t count) {
        CheckIndex(index, accessors.size(), owner, "accessor");
        const AccessorKind& kind = kinds[index.get<std::size_t>()];
        bool shaped = false;
        for (int c : components)
            shaped = shaped || kind.components == c;
        if (!shaped || (floatOnly && kind.componentType != 5126) ||
            (count && kind.count != count)) {
            Fail(owner, ": accessor ", index.get<std::size_t>(), " does not fit its use as ", use);
        }
    };
    for (std::size_t m = 0; m < meshes.size(); ++m) {
        for (const Json& primitive : List(meshes[m], "primitives")) {
            const std::string owner = "a primitive of mesh " + std::to_string(m);
            const auto attributes = primitive.find("attributes");
            if (!primitive.is_object() || attributes == primitive.end() ||
                !attributes->is_object() || attributes->find("POSITION") == attributes->end()) {
                Fail(owner, " has no points (no POSITION attribute)");
            }
            checkUse((*attributes)["POSITION"], owner, "points", {3}, true, 0);
            const std::uint64_t points = kinds[(*attributes)["POSITION"].get<std::size_t>()].count;
            for (const auto& [name, index] : attributes->items()) {
                const bool vec4 = name == "TANGENT" || name.rfind("JOINTS_", 0) == 0 ||
                                  name.rfind("WEIGHTS_", 0) == 0;
                const bool vec2 = name.rfind("TEXCOORD_", 0) == 0;
                const bool colour = name.rfind("COLOR_", 0) == 0;
                checkUse(index, owner, name.c_str(),
                         vec4     ? std::initializer_list<int>{4}
                         : vec2   ? std::initializer_list<int>{2}
                         : colour ? std::initializer_list<int>{3, 4}
                                  : std::initializer_list<int>{1, 2, 3, 4, 9, 16},
                         name == "NORMAL" || name == "TANGENT", points);
            }
            const auto indices = primitive.find("indices");
            if (indices != primitive.end()) {
                checkUse(*indices, owner, "indices", {1}, false, 0);
                if (kinds[indices->get<std::size_t>()].componentType == 5126 ||
                    kinds[indices->get<std::size_t>()].componentType < 5121 ||
                    kinds[indices->get<std::size_t>()].componentType == 5122) {
                    Fail(owner, ": its indices are not unsigned integers");
                }
            }
            const auto mode = primitive.find("mode");
            if (mode != primitive.end() &&
                (!mode->is_number_integer() || mode->get<int>() < 0 || mode->get<int>() > 6)) {
                Fail(owner, " has an unknown drawing mode ", mode->dump());
            }
            for (const Json& target : List(primitive, "targets")) {
                for (const auto& [name, index] : target.items()) {
                    checkUse(index, owner, "a morph target", {3}, true, points);
                }
            }
        }
    }
    const Json& skins = List(doc, "skins");
    for (std::size_t s = 0; s < skins.size(); ++s) {
        const std::string owner = "skin " + std::to_string(s);
        CheckMember(skins[s], "inverseBindMatrices", accessors.size(), owner, "accessor");
        for (const Json& joint : List(skins[s], "joints")) {
            CheckIndex(joint, nodes.size(), owner, "node");
        }
    }
    CheckNodes(nodes, meshes.size(), skins.size(), List(doc, "cameras").size());
    for (const Json& scene : List(doc, "scenes")) {
        for (const Json& node : List(scene, "nodes")) {
            CheckIndex(node, nodes.size(), "a scene", "node");
        }
    }
    CheckMember(doc, "scene", List(doc, "scenes").size(), "the document", "scene");
    for (const Json& animation : List(doc, "animations")) {
        for (const Json& sampler : List(animation, "samplers")) {
            CheckMember(sampler, "input", accessors.size(), "an animation", "accessor");
            CheckMember(sampler, "output", accessors.size(), "an animation", "accessor");
        }
        for (const Json& channel : List(animation, "channels")) {
            const auto target = channel.find("target");
            if (target != channel.end()) {
                CheckMember(*target, "node", nodes.size(), "an animation", "node");
            }
            CheckMember(channel, "sampler", List(animation, "samplers").size(), "an animation",
                        "sampler");
        }
    }
    for (const Json& image : List(doc, "images")) {
        CheckMember(image, "bufferView", views.size(), "an image", "buffer view");
    }
    for (const Json& texture : List(doc, "textures")) {
        CheckMember(texture, "source", List(doc, "images").size(), "a texture", "image");
    }
}

[[noreturn]] void FailToWriteCopy() {
    Fail("a copy of the scene for VTK's reader cannot be written (", std::strerror(errno), ")");
}

void WriteAll(std::FILE* out, const void* bytes, std::size_t count) {
    if (count > 0 && std::fwrite(bytes, 1, count, out) != count) {
        FailToWriteCopy();
    }
}

// The document and bytes VTK's reader is given (see the header): one binary glTF file.
void WriteForVtk(Json doc, const std::vector<BufferBytes>& loaded, const std::string& glbPath) {
    for (const char* unused : {"images", "textures", "samplers", "materials"}) {
        doc.erase(unused);
    }
    if (doc.contains("meshes")) {
        for (Json& mesh : doc["meshes"]) {
            if (mesh.is_object() && mesh.contains("primitives")) {
                for (Json& primitive : mesh["primitives"]) {
                    primitive.erase("material");
                }
            }
        }
    }
    // The buffers' declared bytes one after the other, each from a multiple of 4.
    std::vector<std::uint64_t> lengths, starts;
    std::uint64_t binBytes = 0;
    for (const Json& buffer : List(doc, "buffers")) {
        lengths.push_back(buffer["byteLength"].get<std::uint64_t>());
        starts.push_back(binBytes);
        binBytes += (lengths.back() + 3) / 4 * 4;
    }
    if (!loaded.empty()) {
        doc["buffers"] = Json::array({{{"byteLength", binBytes}}});
    }
    if (doc.contains("bufferViews")) {
        for (Json& view : doc["bufferViews"]) {
            const std::uint64_t start = starts[view["buffer"].get<std::size_t>()];
            view["byteOffset"] = start + view.value("byteOffset", std::uint64_t{0});
            view["buffer"] = 0;
        }
    }
    std::string json = doc.dump();
    json.resize((json.size() + 3) / 4 * 4, ' ');
    const std::uint64_t total = 12 + 8 + json.size() + (loaded.empty() ? 0 : 8 + binBytes);
    if (total > UINT32_MAX) {
        Fail("the glTF scene is larger than the 4 GiB a binary glTF file can hold");
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen(glbPath.c_str(), "wb"),
                                                        &std::fclose);
    if (!out) {
        FailToWriteCopy();
    }
    const auto word = [&](std::uint32_t value) { WriteAll(out.get(), &value, 4); };
    word(0x46546C67);  // "glTF"
    word(2);
    word(static_cast<std::uint32_t>(total));
    word(static_cast<std::uint32_t>(json.size()));
    word(0x4E4F534A);  // "JSON"
    WriteAll(out.get(), json.data(), json.size());
    if (!loaded.empty()) {
        word(static_cast<std::uint32_t>(binBytes));
        word(0x004E4942);  // "BIN"
        static const char kZeros[4] = {};
        for (std::size_t b = 0; b < loaded.size(); ++b) {
            WriteAll(out.get(), loaded[b].begin, static_cast<std::size_t>(lengths[b]));
            WriteAll(out.get(), kZeros, static_cast<std::size_t>((4 - lengths[b] % 4) % 4));
        }
    }
    if (std::fflush(out.get()) != 0) {
        FailToWriteCopy();
    }
}

}  // namespace

void CheckGltfFile(const std::string& path, const std::string& glbPath) {
    const MappedFile file(path);
    const char* json = file.Begin();
    std::size_t jsonBytes = file.Size();
    std::string_view binChunk;
    const bool binary = file.Size() >= 4 && std::memcmp(file.Begin(), "glTF", 4) == 0;
    if (binary) {
        // Binary: a 12-byte header, the JSON chunk, then an optional binary chunk.
        ByteCursor bytes(file.Begin(), file.End(), file.Begin(), ByteOrder::Little);
        bytes.Skip(8, "the glTF header");
        const auto total = bytes.Read<std::uint32_t>("the glTF file length");
        if (total > file.Size()) {
            Fail("the file ends too early: its glTF header announces ", total,
                 " bytes but the file has ", file.Size());
        }
        const auto length = bytes.Read<std::uint32_t>("the JSON chunk length");
        if (bytes.Read<std::uint32_t>("the JSON chunk type") != 0x4E4F534A) {
            Fail("the binary glTF file does not start with its JSON chunk");
        }
        json = bytes.Take(length, "the JSON chunk");
        jsonBytes = length;
        if (bytes.Remaining() >= 8) {
            const auto binLength = bytes.Read<std::uint32_t>("the binary chunk length");
            if (bytes.Read<std::uint32_t>("the binary chunk type") == 0x004E4942) {
                binChunk = std::string_view(bytes.Take(binLength, "the binary chunk"), binLength);
            }
        }
    }
    const Json doc = ParseJsonDocument(json, json + jsonBytes, "the glTF JSON");
    std::vector<BufferBytes> loaded;
    try {
        CheckDocument(doc, std::filesystem::path(path).parent_path().string(), binary, binChunk,
                      loaded);
        WriteForVtk(doc, loaded, glbPath);
    } catch (const Json::exception& e) {
        Fail("the glTF document is damaged (", Excerpt(e.what(), 160), ")");
    }
}

}  // namespace wexlan::io
