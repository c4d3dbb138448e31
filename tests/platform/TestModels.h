// Small model classes that exercise the object model the way pages and
// documents will: a document with a current page, pages with settings.
#pragma once

#include "platform/object/KVObject.h"

class TestPage : public ql::KVObject {
    Q_OBJECT
public:
    using KVObject::KVObject;

    const ql::PropertyTable& properties() const override
    {
        static const ql::PropertyTable table = ql::PropertyTableBuilder<TestPage>(&baseTable())
                                                   .field("drawingMode", &TestPage::m_drawingMode)
                                                   .field("leftMargin", &TestPage::m_leftMargin)
                                                   .field("bleedMargin", &TestPage::m_bleedMargin)
                                                   .field("fullBleed", &TestPage::m_fullBleed)
                                                   .field("name", &TestPage::m_name)
                                                   .field("rowNumber", &TestPage::m_rowNumber, ql::ValueKind::Number)
                                                   .field("templateView", &TestPage::m_templateView)
                                                   .build();
        return table;
    }

    int drawingMode() const { return m_drawingMode; }
    void setDrawingMode(int mode) { changeValue(QStringLiteral("drawingMode"), m_drawingMode, mode); }
    double leftMargin() const { return m_leftMargin; }
    void setLeftMargin(double margin) { changeValue(QStringLiteral("leftMargin"), m_leftMargin, margin); }
    float bleedMargin() const { return m_bleedMargin; }
    bool fullBleed() const { return m_fullBleed; }
    QString name() const { return m_name; }
    QVariant rowNumber() const { return m_rowNumber; }
    TestPage* templateView() const { return m_templateView; }
    void setTemplateView(TestPage* page) { changeValue(QStringLiteral("templateView"), m_templateView, page); }

private:
    int m_drawingMode = 0;
    double m_leftMargin = 36;
    float m_bleedMargin = 9;
    bool m_fullBleed = false;
    QString m_name;
    QVariant m_rowNumber;
    TestPage* m_templateView = nullptr;
};

class TestDocument : public ql::KVObject {
    Q_OBJECT
public:
    using KVObject::KVObject;

    const ql::PropertyTable& properties() const override
    {
        static const ql::PropertyTable table = ql::PropertyTableBuilder<TestDocument>(&baseTable())
                                                   .property("currentPage", &TestDocument::currentPage,
                                                             &TestDocument::setCurrentPage)
                                                   .readOnly("pageCount", &TestDocument::pageCount)
                                                   .build();
        return table;
    }

    TestPage* currentPage() const { return m_currentPage; }
    void setCurrentPage(TestPage* page) { changeValue(QStringLiteral("currentPage"), m_currentPage, page); }
    int pageCount() const { return 1; }

private:
    QPointer<TestPage> m_currentPage;
};
