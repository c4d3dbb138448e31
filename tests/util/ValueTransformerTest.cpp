#include "util/ValueTransformer.h"

#include <gtest/gtest.h>

TEST(ValueTransformerRegistry, FirstRegistrationStaysAndRulesRunEachTime)
{
    auto& registry = ql::ValueTransformerRegistry::shared();
    double scalar = 72;
    const bool first = registry.registerValueTransformer(
        QStringLiteral("testInches"), QStringLiteral("NSString"),
        [&](const QVariant& v) { return QVariant(v.toDouble() / scalar); },
        [&](const QVariant& v) { return QVariant(v.toDouble() * scalar); });
    ASSERT_TRUE(first);
    EXPECT_FALSE(registry.registerValueTransformer(QStringLiteral("testInches"), QStringLiteral("NSString"),
                                                   [](const QVariant&) { return QVariant(-1); }));
    const ql::ValueTransformer* transformer = registry.transformer(QStringLiteral("testInches"));
    ASSERT_NE(transformer, nullptr);
    EXPECT_EQ(transformer->transformedValue(144).toDouble(), 2.0);
    scalar = 28.346472; // the rule reads live state
    EXPECT_NEAR(transformer->transformedValue(28.346472).toDouble(), 1.0, 1e-12);
    EXPECT_TRUE(transformer->allowsReverseTransformation());

    ASSERT_TRUE(registry.registerValueTransformer(QStringLiteral("testOneWay"), QString(),
                                                  [](const QVariant& v) { return v; }));
    EXPECT_FALSE(registry.transformer(QStringLiteral("testOneWay"))->allowsReverseTransformation());
    EXPECT_FALSE(registry.transformer(QStringLiteral("testOneWay"))->reverseTransformedValue(1).isValid());
    EXPECT_EQ(registry.transformer(QStringLiteral("missing")), nullptr);
}
