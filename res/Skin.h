#pragma once

class QWidget;
class QString;

// The program's skin: a Qt style sheet loaded once at start-up and applied to each top-level window
// at the end of its creation. A missing or bad skin leaves windows unskinned; nothing else changes.
namespace skin {

// Loads the named skin ("Metallic.skn") from the resources; returns false when it is missing or empty.
bool LoadSkin(const QString& name);
// Applies the loaded skin to a top-level window; does nothing when no skin is loaded.
void ApplySkin(QWidget* window);
// Forgets the loaded skin (tests, and the end of the program).
void UnloadSkin();

}  // namespace skin
