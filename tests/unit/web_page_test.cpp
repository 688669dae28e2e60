// The web walk-through (tools/import/web_page.h): the pack's format read
// back by a decoder written from the format's description (the gzip header
// field by field, the archive's header lines, base64 by RFC 4648), the
// single HTML file and the web-server folder, the same bytes for the same
// files, where the runtime is found, and refusals.
#include "default_scene.h"
#include "test_support.h"
#include "tools/import/web_page.h"

#include <zlib.h>

#include <sys/stat.h>
#include <utime.h>

#include <map>

namespace {

std::string readWhole(const std::string& path)
{
    const std::vector<unsigned char> bytes = readFile(path);
    return std::string(bytes.begin(), bytes.end());
}

// RFC 4648's alphabet, decoded by hand.
std::string base64Decode(const std::string& text)
{
    const std::string alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned bits = 0, count = 0;
    for (char c : text) {
        if (c == '=')
            break;
        const std::size_t value = alphabet.find(c);
        EXPECT_NE(value, std::string::npos) << "not base64: " << int(c);
        bits = bits << 6 | unsigned(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out += char(bits >> count & 0xFF);
        }
    }
    return out;
}

// A pack read back: the gzip header's fields checked, the stream inflated,
// the archive split into (name, bytes) in stored order.
std::vector<std::pair<std::string, std::string>> readPack(const std::string& pack)
{
    std::vector<std::pair<std::string, std::string>> entries;
    // ID1 ID2, CM deflate, FLG none (no name), MTIME 0 (4 bytes), XFL 2
    // (level 9), OS 255.
    EXPECT_GE(pack.size(), 18u);
    EXPECT_EQ(pack.substr(0, 10), std::string("\x1f\x8b\x08\x00\0\0\0\0\x02\xff", 10));
    z_stream stream{};
    inflateInit2(&stream, 15 + 16);
    std::string archive(1 << 20, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(pack.data()));
    stream.avail_in = uInt(pack.size());
    int status = Z_OK;
    while (status == Z_OK) {
        if (stream.total_out == archive.size())
            archive.resize(archive.size() * 2);
        stream.next_out = reinterpret_cast<Bytef*>(&archive[stream.total_out]);
        stream.avail_out = uInt(archive.size() - stream.total_out);
        status = inflate(&stream, Z_NO_FLUSH);
    }
    EXPECT_EQ(status, Z_STREAM_END);
    EXPECT_EQ(stream.avail_in, 0u) << "nothing after the stream";
    archive.resize(stream.total_out);
    inflateEnd(&stream);
    for (std::size_t at = 0; at < archive.size();) {
        const std::size_t space = archive.find(' ', at), end = archive.find('\n', at);
        if (space == std::string::npos || end == std::string::npos || space > end) {
            ADD_FAILURE() << "no header line at " << at;
            break;
        }
        const std::size_t size = std::stoul(archive.substr(at, space - at));
        entries.emplace_back(archive.substr(space + 1, end - space - 1), archive.substr(end + 1, size));
        EXPECT_LE(end + 1 + size, archive.size());
        at = end + 1 + size;
    }
    return entries;
}

const std::string Page = "<!doctype html><title>Mirtal</title>\n"
                         "<script id=\"mirtal-pack\" type=\"application/octet-stream\"></script>\n"
                         "<script>start()</script>\n";

void makeRuntime(const std::string& folder, const std::string& page = Page)
{
    std::system(("mkdir -p '" + folder + "'").c_str());
    writeFile(folder + "/index.html", page);
    writeFile(folder + "/mirtal.js", "var Module = {};\n");
    writeFile(folder + "/mirtal.wasm", std::string("\0asm\1\0\0\0", 8));
}


void makeScene(const std::string& folder)
{
    std::system(("mkdir -p '" + folder + "'").c_str());
    for (const std::string& name : SceneNames)
        writeFile(folder + "/" + name, "12 bytes of\n" + name);
    writeFile(folder + "/notes.txt", "not part of the scene");
}

// A runtime and a scene in the working folder, and the runtime's kit.
WebKit standInKit()
{
    makeRuntime("runtime");
    makeScene("scene");
    WebKit kit;
    std::string error;
    EXPECT_TRUE(webKitIn("runtime", kit, error)) << error;
    return kit;
}

}  // namespace

TEST(WebPage, PackHoldsEachFileAfterItsHeaderLineInByteOrderOfName)
{
    std::string pack, error;
    ASSERT_TRUE(makePack({{"scene/b", "2 x\n"}, {"mirtal.js", ""}, {"scene/B", "\n\n\n"}}, pack,
                         error))
        << error;
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"mirtal.js", ""}, {"scene/B", "\n\n\n"}, {"scene/b", "2 x\n"}};
    EXPECT_EQ(readPack(pack), expected);

    for (const std::string name : {"", "/etc/passwd", "..", "scene/../x", "a//b", "a/", "a\nb"})
        EXPECT_FALSE(makePack({{name, "x"}}, pack, error)) << name;
    EXPECT_FALSE(makePack({{"a", "x"}, {"a", "y"}}, pack, error));
    EXPECT_NE(error.find("twice"), std::string::npos) << error;
}

TEST(WebPage, Base64IsRfc4648sWithoutLineBreaks)
{
    // The RFC's own test vectors (section 10).
    const std::map<std::string, std::string> vectors = {
        {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},    {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}};
    for (const auto& [bytes, text] : vectors)
        EXPECT_EQ(base64Encode(bytes), text);
    EXPECT_EQ(base64Encode("\xff\xfe\x00"), "//4=");
    EXPECT_EQ(base64Encode(std::string("\xfb\xff\x00", 3)), "+/8A");
    EXPECT_EQ(base64Encode(std::string(300, 'x')).find('\n'), std::string::npos);
}

TEST(WebPage, SingleHtmlIsThePageWithItsPlaceholderFilledByThePack)
{
    ScopedWorkDir work;
    WebKit kit = standInKit();
    std::string error;
    ASSERT_TRUE(writeWebPage("casa.html", "scene", kit, false, error)) << error;

    const std::string html = readWhole("casa.html");
    const std::string open = "<script id=\"mirtal-pack\" type=\"application/octet-stream\">";
    const std::size_t start = html.find(open) + open.size(), end = html.find("</script>", start);
    ASSERT_NE(html.find(open), std::string::npos);
    EXPECT_EQ(html.substr(0, start) + html.substr(end), Page) << "nothing else changes";
    std::vector<std::pair<std::string, std::string>> expected = {
        {"mirtal.js", "var Module = {};\n"}, {"mirtal.wasm", std::string("\0asm\1\0\0\0", 8)}};
    for (const std::string& name : SceneNames)
        expected.emplace_back("scene/" + name, "12 bytes of\n" + name);
    EXPECT_EQ(readPack(base64Decode(html.substr(start, end - start))), expected);

    // The same files at other times, written elsewhere: the same bytes.
    utimbuf old{1000000000, 1000000000};
    for (const std::string& name : SceneNames)
        utime(("scene/" + name).c_str(), &old);
    utime("runtime/mirtal.wasm", &old);
    ASSERT_TRUE(writeWebPage(work.path() + "/again.html", "scene", kit, false, error)) << error;
    EXPECT_EQ(readWhole("again.html"), html);

    // A page whose placeholder is missing or given twice is no runtime.
    makeRuntime("bad", "<html></html>");
    ASSERT_TRUE(webKitIn("bad", kit, error));
    EXPECT_FALSE(writeWebPage("bad.html", "scene", kit, false, error));
    EXPECT_NE(error.find("mirtal-pack"), std::string::npos) << error;
    makeRuntime("bad", Page + Page);
    EXPECT_FALSE(writeWebPage("bad.html", "scene", kit, false, error));
    struct stat info;
    EXPECT_NE(stat("bad.html", &info), 0) << "nothing written";
}

TEST(WebPage, SingleHtmlRefusesAnExistingFileUnlessReplacingAndAMissingSceneFile)
{
    ScopedWorkDir work;
    WebKit kit = standInKit();
    std::string error;

    writeFile("casa.html", "someone's page");
    EXPECT_FALSE(writeWebPage("casa.html", "scene", kit, false, error));
    EXPECT_NE(error.find("casa.html: exists already (--force"), std::string::npos) << error;
    EXPECT_EQ(readWhole("casa.html"), "someone's page");
    ASSERT_TRUE(writeWebPage("casa.html", "scene", kit, true, error)) << error;
    EXPECT_NE(readWhole("casa.html").find("<title>Mirtal</title>"), std::string::npos);

    EXPECT_FALSE(writeWebPage("scene", "scene", kit, true, error));
    EXPECT_NE(error.find("is a folder"), std::string::npos) << error;
    EXPECT_FALSE(writeWebPage("missing/casa.html", "scene", kit, true, error));
    EXPECT_NE(error.find("missing/casa.html: no folder"), std::string::npos) << error;

    std::remove("scene/ceu.bmp");
    EXPECT_FALSE(writeWebPage("new.html", "scene", kit, false, error));
    EXPECT_NE(error.find("scene/ceu.bmp"), std::string::npos) << error;
    struct stat info;
    EXPECT_NE(stat("new.html", &info), 0) << "nothing written";
}

TEST(WebPage, WebServerFolderHoldsTheRuntimeAndTheScenePack)
{
    ScopedWorkDir work;
    WebKit kit = standInKit();
    std::string error;
    ASSERT_TRUE(writeWebFolder("site", "scene", kit, error)) << error;

    EXPECT_EQ(readWhole("site/index.html"), Page);
    EXPECT_EQ(readWhole("site/mirtal.js"), "var Module = {};\n");
    EXPECT_EQ(readWhole("site/mirtal.wasm"), std::string("\0asm\1\0\0\0", 8));
    const auto entries = readPack(readWhole("site/scene.pack"));
    ASSERT_EQ(entries.size(), SceneNames.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ(entries[i].first, "scene/" + SceneNames[i]);
    EXPECT_EQ(system("test $(ls -A site | wc -l) = 4"), 0) << "nothing else in it";

    EXPECT_FALSE(writeWebFolder("site", "scene", kit, error));
    EXPECT_NE(error.find("exists"), std::string::npos) << error;
    std::remove("scene/agua.bmp");
    EXPECT_FALSE(writeWebFolder("other", "scene", kit, error));
    struct stat info;
    EXPECT_NE(stat("other", &info), 0) << "no folder made";
}

TEST(WebPage, FindsTheRuntimeInstalledOrInASourceTree)
{
    ScopedWorkDir work;
    WebKit kit;
    std::string error;
    std::system("mkdir -p root/usr/games src/build/tools/import");
    writeFile("root/usr/games/mirtal-import", "tool");
    makeRuntime("root/usr/share/mirtal/web");
    ASSERT_TRUE(findWebKit(work.path() + "/root/usr/games/mirtal-import", kit, error)) << error;
    EXPECT_EQ(kit.wasm, work.path() + "/root/usr/games/../share/mirtal/web/mirtal.wasm");

    writeFile("src/build/tools/import/mirtal-import", "tool");
    EXPECT_FALSE(findWebKit(work.path() + "/src/build/tools/import/mirtal-import", kit, error));
    EXPECT_NE(error.find("build-web/runtime"), std::string::npos) << error;
    makeRuntime("src/build-web/runtime");
    std::remove("src/build-web/runtime/mirtal.js");
    EXPECT_FALSE(findWebKit(work.path() + "/src/build/tools/import/mirtal-import", kit, error));
    makeRuntime("src/build-web/runtime");
    ASSERT_TRUE(findWebKit(work.path() + "/src/build/tools/import/mirtal-import", kit, error))
        << error;
    EXPECT_EQ(kit.page, work.path() + "/src/build-web/runtime/index.html");
}
