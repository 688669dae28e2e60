// The SourceModel as bytes and back, for the reading process to hand its
// model to the importer (read_isolated.cpp). Entry points:
// encodeSourceModel(), decodeSourceModel().
//
// Both directions walk one list of fields per type (fieldsOf below), so a
// field added to a type is added in one place: its structured binding
// names every field, and stops compiling until the new one is listed.
// Numbers go as their bytes in this machine's order (both ends are one
// program); a string or a vector as its 64-bit length, then its elements.
#include "import.h"

#include <cstring>
#include <type_traits>

namespace {

// -------------------------------------------------------- the field lists

template <class Archive> void fieldsOf(Archive& a, PixelRGB& p)
{
    auto& [red, green, blue] = p;
    a(red, green, blue);
}

template <class Archive> void fieldsOf(Archive& a, Point3d& p)
{
    auto& [x, y, z] = p;
    a(x, y, z);
}

template <class Archive> void fieldsOf(Archive& a, ModelVertex& v)
{
    auto& [position, s, t, colour] = v;
    a(position, s, t, colour);
}

template <class Archive> void fieldsOf(Archive& a, ModelTriangle& t)
{
    auto& [v, material, hasTexCoords, hasColours] = t;
    a(v, material, hasTexCoords, hasColours);
}

template <class Archive> void fieldsOf(Archive& a, SourcePicture& p)
{
    auto& [name, path, foundAs, encoded, width, height, texels] = p;
    a(name, path, foundAs, encoded, width, height, texels);
}

template <class Archive> void fieldsOf(Archive& a, SourceMaterial& m)
{
    auto& [name, colour, picture, tint, opacity] = m;
    a(name, colour, picture, tint, opacity);
}

template <class Archive> void fieldsOf(Archive& a, DroppedFaces& d)
{
    auto& [points, lines, indexOutOfRange, noCorners, nonFinite, zeroArea,
           libraryDroppedOutOfRange] = d;
    a(points, lines, indexOutOfRange, noCorners, nonFinite, zeroArea, libraryDroppedOutOfRange);
}

template <class Archive> void fieldsOf(Archive& a, SourceModel& m)
{
    auto& [format, facesIn, vertices, triangles, materials, pictures, dropped, unitMetres,
           unitSource] = m;
    a(format, facesIn, vertices, triangles, materials, pictures, dropped, unitMetres, unitSource);
}

// ------------------------------------------------------------- the writer

class Writer {
public:
    explicit Writer(const std::function<void(const char*, std::size_t)>& out) : out_(out) {}
    ~Writer() { flush(); }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    template <class... Fields> void operator()(Fields&... fields) { (put(fields), ...); }

private:
    static constexpr std::size_t BufferBytes = 1 << 16;

    // Small pieces gather in the buffer (most are a few bytes: a field at
    // a time), large ones go out at once.
    void bytes(const void* data, std::size_t size)
    {
        if (size == 0)
            return;  // an empty vector's data may be null
        if (used_ + size > BufferBytes)
            flush();
        if (size > BufferBytes) {
            out_(static_cast<const char*>(data), size);
            return;
        }
        std::memcpy(buffer_ + used_, data, size);
        used_ += size;
    }
    void flush()
    {
        if (used_ > 0)
            out_(buffer_, used_);
        used_ = 0;
    }
    void length(std::size_t n)
    {
        const std::uint64_t count = n;
        bytes(&count, sizeof count);
    }

    template <class T> void put(T& value)
    {
        if constexpr (std::is_arithmetic_v<T>)
            bytes(&value, sizeof value);
        else
            fieldsOf(*this, value);
    }
    template <class T, std::size_t N> void put(T (&values)[N])
    {
        for (T& value : values)
            put(value);
    }
    void put(std::string& text)
    {
        length(text.size());
        bytes(text.data(), text.size());
    }
    template <class T> void put(std::vector<T>& values)
    {
        length(values.size());
        if constexpr (std::is_arithmetic_v<T>)
            bytes(values.data(), values.size() * sizeof(T));
        else
            for (T& value : values)
                put(value);
    }

    const std::function<void(const char*, std::size_t)>& out_;
    char buffer_[BufferBytes];
    std::size_t used_ = 0;
};

// ------------------------------------------------------------- the reader

class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    template <class... Fields> void operator()(Fields&... fields) { (get(fields), ...); }
    bool atEnd() const { return at_ == bytes_.size(); }

private:
    [[noreturn]] static void cutShort()
    {
        throw ImportError("the reading process's answer is cut short or garbled");
    }
    void bytes(void* data, std::size_t size)
    {
        if (size > bytes_.size() - at_)
            cutShort();
        if (size > 0)
            std::memcpy(data, bytes_.data() + at_, size);
        at_ += size;
    }
    // A count of elements each at least `elementBytes` long, checked against
    // what is left before anything is allocated for them.
    std::size_t length(std::size_t elementBytes)
    {
        std::uint64_t count = 0;
        bytes(&count, sizeof count);
        if (count > (bytes_.size() - at_) / elementBytes)
            cutShort();
        return std::size_t(count);
    }

    template <class T> void get(T& value)
    {
        if constexpr (std::is_arithmetic_v<T>)
            bytes(&value, sizeof value);
        else
            fieldsOf(*this, value);
    }
    template <class T, std::size_t N> void get(T (&values)[N])
    {
        for (T& value : values)
            get(value);
    }
    void get(std::string& text)
    {
        text.resize(length(1));
        bytes(text.data(), text.size());
    }
    template <class T> void get(std::vector<T>& values)
    {
        if constexpr (std::is_arithmetic_v<T>) {
            values.resize(length(sizeof(T)));
            bytes(values.data(), values.size() * sizeof(T));
        } else {
            values.resize(length(1));
            for (T& value : values)
                get(value);
        }
    }

    std::string_view bytes_;
    std::size_t at_ = 0;
};

} // namespace

void encodeSourceModel(const SourceModel& model,
                       const std::function<void(const char*, std::size_t)>& out)
{
    Writer writer(out);
    // The field lists serve both directions; writing changes nothing.
    fieldsOf(writer, const_cast<SourceModel&>(model));
}

SourceModel decodeSourceModel(std::string_view bytes)
{
    SourceModel model;
    Reader reader(bytes);
    fieldsOf(reader, model);
    if (!reader.atEnd())
        throw ImportError("the reading process's answer is garbled (bytes left over)");
    return model;
}
