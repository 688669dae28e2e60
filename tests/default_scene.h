// The default scene's files in data/, for the tests of its contents: paths,
// and the quads of the model together with their labels (the program reads
// the labels and drops them; the tests tell the house from the grounds by
// them).
#pragma once

#include "scene/quad_model_file.h"
#include "test_support.h"

#include <sstream>
#include <string>
#include <vector>

// The names of a scene folder's 23 files (the 17 bitmaps, the 4 raw
// images, the 2 scene files), in byte order (capitals first).
const std::vector<std::string> SceneNames = {
    "Garagem.bmp", "Janela1.bmp", "Parede1.bmp", "Porta.bmp", "Porta3.bmp", "Relva1.bmp",
    "Relva1.raw", "Telhado1.bmp", "agua.bmp", "alcatrao.bmp", "alcatrao.raw", "calcada.bmp",
    "caminho.bmp", "ceu.bmp", "cimento.bmp", "cimento2.raw", "data_terreno.geo",
    "data_textura.geo", "janela.raw", "madeira2.bmp", "muro.bmp", "pedra.bmp",
    "respiradouro.bmp"};

inline std::string defaultScenePath(const std::string& name)
{
    return std::string(MIRTAL_SOURCE_DIR) + "/data/" + name;
}

inline std::string defaultSceneText(const std::string& name)
{
    const std::vector<unsigned char> bytes = readFile(defaultScenePath(name));
    return std::string(bytes.begin(), bytes.end());
}

struct LabelledQuad {
    std::string label;
    QuadRecord quad;
};

// The model as the program reads it, each quad with its label: make_data
// writes one record per line, the label first.
inline std::vector<LabelledQuad> defaultSceneQuads()
{
    const std::string text = defaultSceneText("data_textura.geo");
    const std::vector<QuadRecord> quads = parseQuadModel(text, "data_textura.geo");
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    std::vector<LabelledQuad> labelled;
    for (const QuadRecord& quad : quads) {
        std::getline(lines, line);
        labelled.push_back({line.substr(0, line.find(' ')), quad});
    }
    return labelled;
}
