// Helpers shared by the unit and GL tests: temporary working directories,
// small files, captured console output, small models for the importer.
#pragma once

#include "import.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

// A fresh directory that becomes the working directory for the lifetime of
// the object; the program opens its files by fixed names relative to it.
class ScopedWorkDir {
public:
    ScopedWorkDir()
    {
        char buffer[PATH_MAX];
        if (getcwd(buffer, sizeof buffer))
            previous_ = buffer;
        char pattern[] = "/tmp/mirtal-test-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (!made)
            ADD_FAILURE() << "mkdtemp failed";
        path_ = made ? made : "/tmp";
        if (chdir(path_.c_str()) != 0)
            ADD_FAILURE() << "chdir " << path_ << " failed";
    }
    ~ScopedWorkDir()
    {
        if (!previous_.empty() && chdir(previous_.c_str()) != 0)
            ADD_FAILURE() << "chdir back failed";
        const std::string command = "rm -rf '" + path_ + "'";
        if (std::system(command.c_str()) != 0)
            ADD_FAILURE() << "could not remove " << path_;
    }
    ScopedWorkDir(const ScopedWorkDir&) = delete;
    ScopedWorkDir& operator=(const ScopedWorkDir&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string previous_;
    std::string path_;
};

inline void writeFile(const std::string& name, const std::string& bytes)
{
    std::ofstream out(name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "could not write " << name;
}

inline void writeFile(const std::string& name, const std::vector<unsigned char>& bytes)
{
    writeFile(name, std::string(bytes.begin(), bytes.end()));
}

inline std::vector<unsigned char> readFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>());
}

// Path of a file in the shared folder beside the project (test corpora).
inline std::string sharedPath(const std::string& relative)
{
    return std::string(MIRTAL_SHARED_DIR) + "/" + relative;
}

// A model for the importer's stages that no file holds: the corners given,
// with their (s, t) and one picture for them all when `textured`, and
// triangles of them (counter-clockwise from the front) of one material.
inline SourceModel modelOfTriangles(const std::vector<ModelVertex>& corners,
                                    const std::vector<std::array<std::uint32_t, 3>>& triangles,
                                    bool textured)
{
    SourceModel model;
    model.vertices = corners;
    model.materials.resize(1);
    if (textured) {
        model.pictures.resize(1);
        model.materials[0].picture = 0;
    }
    for (const auto& t : triangles)
        model.triangles.push_back({{t[0], t[1], t[2]}, 0, textured, false});
    model.facesIn = triangles.size();
    return model;
}
