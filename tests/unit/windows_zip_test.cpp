// The Windows walk-through zip (tools/import/windows_zip.h): where the
// Windows program is found, the zip's top folder, its entries and their
// order, times and modes, the same bytes for the same files, and refusals.
#include "default_scene.h"
#include "test_support.h"
#include "tools/import/windows_zip.h"

#include <zip.h>

#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <fstream>
#include <sstream>

namespace {

std::string readWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void makeFolders(const std::string& path)
{
    std::system(("mkdir -p '" + path + "'").c_str());
}

void makeKit(const std::string& folder)
{
    makeFolders(folder);
    writeFile(folder + "/mirtal.exe", std::string("MZ\x90\0program", 11));
}


void makeScene(const std::string& folder)
{
    makeFolders(folder);
    for (const std::string& name : SceneNames)
        writeFile(folder + "/" + name, "bytes of " + name);
    writeFile(folder + "/notes.txt", "not part of the scene");
}

struct ZipEntry {
    std::string name, bytes;
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    unsigned dosDate = 0, dosTime = 0;
};

// The zip read back with libzip, entries in their stored order.
std::vector<ZipEntry> readZip(const std::string& path)
{
    std::vector<ZipEntry> entries;
    int code = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &code);
    if (!archive) {
        ADD_FAILURE() << "cannot open " << path;
        return entries;
    }
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        ZipEntry entry;
        entry.name = zip_get_name(archive, index, 0);
        zip_file_get_external_attributes(archive, index, 0, &entry.system, &entry.attributes);
        zip_stat_t info;
        zip_stat_index(archive, index, 0, &info);
        entry.bytes.resize(info.size);
        if (zip_file_t* file = zip_fopen_index(archive, index, 0)) {
            zip_fread(file, entry.bytes.data(), info.size);
            zip_fclose(file);
        }
        entries.push_back(entry);
    }
    zip_close(archive);
    return entries;
}

// MS-DOS (time, date) of every central directory entry, read from the bytes.
std::vector<std::pair<unsigned, unsigned>> centralTimes(const std::string& bytes)
{
    std::vector<std::pair<unsigned, unsigned>> times;
    const std::string signature("PK\x01\x02", 4);
    for (std::size_t at = bytes.find(signature); at != std::string::npos;
         at = bytes.find(signature, at + 4)) {
        auto u16 = [&](std::size_t offset) {
            return static_cast<unsigned>(static_cast<unsigned char>(bytes[at + offset]))
                   | static_cast<unsigned>(static_cast<unsigned char>(bytes[at + offset + 1])) << 8;
        };
        times.emplace_back(u16(12), u16(14));
    }
    return times;
}

}  // namespace

TEST(WindowsZip, TopFolderIsTheZipsNameWithoutZip)
{
    EXPECT_EQ(windowsZipFolderName("house.zip"), "house");
    EXPECT_EQ(windowsZipFolderName("/tmp/out/My House (2).ZIP"), "My House (2)");
    EXPECT_EQ(windowsZipFolderName("walk-through"), "walk-through");
    EXPECT_EQ(windowsZipFolderName("casa-\xc3\xa7.zip"), "casa-__");
    EXPECT_EQ(windowsZipFolderName("a:b*c.zip"), "a_b_c");
    EXPECT_EQ(windowsZipFolderName(".zip"), "mirtal-walk-through");
    EXPECT_EQ(windowsZipFolderName("...zip"), "mirtal-walk-through");
}

TEST(WindowsZip, FindsTheProgramInstalledOrInASourceTree)
{
    ScopedWorkDir work;
    WindowsKit kit;
    std::string error;

    // Installed: /usr/bin/mirtal-import and /usr/share/mirtal/windows.
    makeFolders(work.path() + "/root/usr/bin");
    writeFile(work.path() + "/root/usr/bin/mirtal-import", "tool");
    makeKit(work.path() + "/root/usr/share/mirtal/windows");
    ASSERT_TRUE(findWindowsKit(work.path() + "/root/usr/bin/mirtal-import", kit, error)) << error;
    EXPECT_EQ(readWhole(kit.exe), std::string("MZ\x90\0program", 11));

    // A source tree: the tool two folders down in build/, the kit in build-windows/.
    makeFolders(work.path() + "/src/build/tools/import");
    writeFile(work.path() + "/src/build/tools/import/mirtal-import", "tool");
    EXPECT_FALSE(findWindowsKit(work.path() + "/src/build/tools/import/mirtal-import", kit, error));
    EXPECT_NE(error.find("mirtal.exe"), std::string::npos) << error;
    makeKit(work.path() + "/src/build-windows/walk-through");
    ASSERT_TRUE(findWindowsKit(work.path() + "/src/build/tools/import/mirtal-import", kit, error))
        << error;
    EXPECT_EQ(kit.exe, work.path() + "/src/build-windows/walk-through/mirtal.exe");

    // The installed folder without its program is no kit.
    std::remove((work.path() + "/root/usr/share/mirtal/windows/mirtal.exe").c_str());
    error.clear();
    EXPECT_FALSE(findWindowsKit(work.path() + "/root/usr/bin/mirtal-import", kit, error));
    EXPECT_NE(error.find("share/mirtal/windows/mirtal.exe"), std::string::npos) << error;
}

TEST(WindowsZip, HoldsOneFolderWithProgramTextsAndSceneAtFixedTimesAndModes)
{
    ScopedWorkDir work;
    makeKit("kit");
    makeScene("scene");
    WindowsKit kit{"kit/mirtal.exe"};
    std::string error;
    ASSERT_TRUE(writeWindowsZip("casa.zip", "scene", kit, false, error)) << error;

    std::vector<std::string> expected = {"casa/", "casa/mirtal.exe", "casa/LEIA-ME.txt",
                                         "casa/README.txt", "casa/LICENSE.txt"};
    for (const std::string& name : SceneNames)
        expected.push_back("casa/" + name);
    const std::vector<ZipEntry> entries = readZip("casa.zip");
    std::vector<std::string> names;
    for (const ZipEntry& entry : entries)
        names.push_back(entry.name);
    EXPECT_EQ(names, expected);
    ASSERT_EQ(entries.size(), expected.size());

    EXPECT_EQ(entries[1].bytes, std::string("MZ\x90\0program", 11));
    // The texts are the release zip's: the licence as LICENSE has it and the
    // read-me texts with the version filled in, all with Windows line ends.
    std::string licence = readWhole(std::string(MIRTAL_SOURCE_DIR) + "/LICENSE");
    for (std::size_t at = licence.find('\n'); at != std::string::npos; at = licence.find('\n', at + 2))
        licence.insert(at, "\r");
    EXPECT_EQ(entries[4].bytes, licence);
    // Where the release's texts name its folder, these name the zip's own.
    for (int i : {2, 3}) {
        EXPECT_EQ(entries[i].bytes.find("@PROJECT_VERSION@"), std::string::npos) << names[i];
        EXPECT_NE(entries[i].bytes.find("mirtal.exe"), std::string::npos) << names[i];
        EXPECT_EQ(entries[i].bytes.find(windowsReleaseFolder()), std::string::npos) << names[i];
    }
    EXPECT_NE(entries[2].bytes.find("cria uma pasta,\r\n   casa, com tudo"), std::string::npos);
    EXPECT_NE(entries[3].bytes.find("one folder,\r\n   casa, with everything"), std::string::npos);
    for (int i : {2, 3, 4})
        for (std::size_t at = entries[i].bytes.find('\n'); at != std::string::npos;
             at = entries[i].bytes.find('\n', at + 1))
            ASSERT_TRUE(at > 0 && entries[i].bytes[at - 1] == '\r') << names[i] << " at " << at;
    for (std::size_t i = 0; i < SceneNames.size(); ++i)
        EXPECT_EQ(entries[5 + i].bytes, "bytes of " + SceneNames[i]);
    // Unix modes: a folder and the program 0755, the rest 0644.
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].system, ZIP_OPSYS_UNIX) << names[i];
        const zip_uint32_t mode = i == 0 ? 040755u : i == 1 ? 0100755u : 0100644u;
        EXPECT_EQ(entries[i].attributes >> 16, mode) << names[i];
    }
    // 1980-01-01 00:00: date (0 << 9 | 1 << 5 | 1), time 0.
    const auto times = centralTimes(readWhole("casa.zip"));
    ASSERT_EQ(times.size(), expected.size());
    for (const auto& [time, date] : times) {
        EXPECT_EQ(time, 0u);
        EXPECT_EQ(date, 33u);
    }
}

TEST(WindowsZip, SameFilesGiveTheSameBytesWhateverTheirTimes)
{
    ScopedWorkDir work;
    makeKit("kit");
    makeScene("scene");
    WindowsKit kit{"kit/mirtal.exe"};
    std::string error;
    ASSERT_TRUE(writeWindowsZip("casa.zip", "scene", kit, false, error)) << error;

    utimbuf old{1000000000, 1000000000};
    for (const std::string& name : SceneNames)
        utime(("scene/" + name).c_str(), &old);
    utime("kit/mirtal.exe", &old);
    makeFolders("other");
    ASSERT_TRUE(writeWindowsZip("other/casa.zip", "scene", kit, false, error)) << error;
    EXPECT_EQ(readWhole("casa.zip"), readWhole("other/casa.zip"));
}

TEST(WindowsZip, ItsPlaceIsCheckedBeforeAnyWork)
{
    ScopedWorkDir work;
    std::string error;
    EXPECT_TRUE(checkWindowsZipPlace("casa.zip", false, error)) << error;
    EXPECT_TRUE(checkWindowsZipPlace(work.path() + "/casa.zip", false, error)) << error;

    writeFile("casa.zip", "someone's zip");
    EXPECT_FALSE(checkWindowsZipPlace("casa.zip", false, error));
    EXPECT_NE(error.find("exists"), std::string::npos) << error;
    EXPECT_TRUE(checkWindowsZipPlace("casa.zip", true, error)) << error;

    makeFolders("a-folder.zip");
    error.clear();
    EXPECT_FALSE(checkWindowsZipPlace("a-folder.zip", true, error));
    EXPECT_NE(error.find("a-folder.zip"), std::string::npos) << error;

    error.clear();
    EXPECT_FALSE(checkWindowsZipPlace("missing/casa.zip", false, error));
    EXPECT_NE(error.find("missing/casa.zip"), std::string::npos) << error;
    writeFile("a-file", "x");
    error.clear();
    EXPECT_FALSE(checkWindowsZipPlace("a-file/casa.zip", false, error));
    EXPECT_NE(error.find("a-file/casa.zip"), std::string::npos) << error;

    // Root writes everywhere: a folder without write permission refuses
    // only other users, so that case is checked where the tests are not root.
    if (geteuid() != 0) {
        makeFolders("locked");
        chmod("locked", 0555);
        error.clear();
        EXPECT_FALSE(checkWindowsZipPlace("locked/casa.zip", false, error));
        EXPECT_NE(error.find("cannot be written"), std::string::npos) << error;
        chmod("locked", 0755);
    }
}

TEST(WindowsZip, RefusesAnExistingZipUnlessReplacingAndAMissingFile)
{
    ScopedWorkDir work;
    makeKit("kit");
    makeScene("scene");
    WindowsKit kit{"kit/mirtal.exe"};
    std::string error;

    writeFile("casa.zip", "someone's zip");
    EXPECT_FALSE(writeWindowsZip("casa.zip", "scene", kit, false, error));
    EXPECT_NE(error.find("casa.zip"), std::string::npos) << error;
    EXPECT_NE(error.find("exists"), std::string::npos) << error;
    EXPECT_EQ(readWhole("casa.zip"), "someone's zip");
    ASSERT_TRUE(writeWindowsZip("casa.zip", "scene", kit, true, error)) << error;
    EXPECT_EQ(readZip("casa.zip").size(), 5 + SceneNames.size());

    error.clear();
    EXPECT_FALSE(writeWindowsZip("no-such-folder/casa.zip", "scene", kit, true, error));
    EXPECT_NE(error.find("no-such-folder/casa.zip"), std::string::npos) << error;
    error.clear();
    EXPECT_FALSE(writeWindowsZip("scene", "scene", kit, true, error));
    EXPECT_NE(error.find("folder"), std::string::npos) << error;

    std::remove("scene/agua.bmp");
    error.clear();
    EXPECT_FALSE(writeWindowsZip("new.zip", "scene", kit, false, error));
    EXPECT_NE(error.find("scene/agua.bmp"), std::string::npos) << error;
    struct stat info;
    EXPECT_NE(stat("new.zip", &info), 0) << "no zip is written";
}
