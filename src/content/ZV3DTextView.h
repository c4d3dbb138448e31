// The 3D text content of an element: the text shown and whether the user is
// turning the camera. The scene and its rendering build on it later.
#pragma once

#include "content/ZVContentView.h"

class ZV3DTextView : public ZVContentView {
    Q_OBJECT
public:
    explicit ZV3DTextView(const QRectF& frame = QRectF(), QObject* parent = nullptr);
    const ql::PropertyTable& properties() const override;

    QString string() const { return m_string; }
    void setString(const QString& text);
    bool allowsCameraControl() const { return m_allowsCameraControl; }
    void setAllowsCameraControl(bool allows);

private:
    QString m_string;
    bool m_allowsCameraControl = false;
};
