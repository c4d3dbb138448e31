// Edits the background it represents (a page's, an element's or a shape's
// fill): its kind, opacity, colour, two-colour or custom gradient, or
// picture (textures, art or a file, fitted or tiled). Every control is tied
// to a key path of the background, named after it; re-pointing the picker
// at another background writes nothing, and without one it is disabled.
#pragma once

#include "panels/ViewController.h"

class QListView;
class QPushButton;
class ZVBackgroundView;

namespace ql {

class GPColorWell;
class GPGradientWell;
class Image;
class KeyPathBindings;
class KVObject;
class Prompter;

class ZVBackgroundPicker : public ViewController {
    Q_OBJECT
public:
    explicit ZVBackgroundPicker(QObject* parent = nullptr);
    ~ZVBackgroundPicker() override;

    ZVBackgroundView* background() const;
    // A ZVBackgroundView, held weakly; anything else (or null) disables the
    // picker.
    void setRepresentedObject(QObject* object) override;

    // Where "Choose…" asks for a file (the document controller's unless set).
    void setPrompter(Prompter* prompter) { m_prompter = prompter; }

    KeyPathBindings* bindings() const { return m_bindings; }
    GPGradientWell* gradientWell() const { return m_gradientWell; }

    // A picture from the collections or a file becomes the background's; a
    // shape's fill is fitted to the shape's width, as one step.
    void choosePicture(const Image& picture);
    // "Choose…": a picture file through the open panel.
    void chooseFile();
    // Every well of the picker lets go of the colour and gradient panels.
    void deactivateWells();

protected:
    QWidget* loadView() override;

private:
    void bindControls(QWidget* view);
    QWidget* buildGradientBox(QWidget* parent);
    QWidget* buildImageBox(QWidget* parent);
    QListView* buildCollection(QWidget* parent, const QString& name, bool art);
    // After the kind or gradient kind changed: a custom gradient kind on a
    // background without a gradient takes the well's.
    void writeKeepingGradient(KVObject& target, const QString& key, const QVariant& value);
    Prompter* prompter() const;
    void alert(const QString& message, const QString& details) const;

    KeyPathBindings* m_bindings;
    GPGradientWell* m_gradientWell = nullptr;
    Prompter* m_prompter = nullptr;
};

} // namespace ql
