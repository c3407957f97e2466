// The office documents of a scene list: one writer per document type, fed scene by scene.
#pragma once

#include "scenes/scene_class.h"

#include <string>

namespace camlog::scenes::office {

// A document under construction. Nothing reaches the destination before close(): the file
// that was there stays until the finished document replaces it.
class SceneDocument {
public:
    virtual ~SceneDocument() = default;

    // Adds the next scene of the list, with the texts and thumbnail FillSceneDetails gave it.
    virtual void AddScene(const TSceneClass &scene) = 0;
    // Writes the document and puts it in place; false, with errorMessage(), when it could not
    // be written (the destination is then untouched).
    virtual bool close() = 0;
    virtual const std::string &errorMessage() const = 0;
};

} // namespace camlog::scenes::office
