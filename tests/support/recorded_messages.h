#pragma once
// Checks of the message boxes a test's recording platform was asked to show.
#include "platform/recording_platform.h"

#include <gtest/gtest.h>
#include <optional>

// One expected message. A text ending in "…" stands for every text that starts with the rest;
// an icon or a title left out is not checked.
struct Said {
    QString text;
    std::optional<MsgIcon> icon{};
    std::optional<QString> title{};
};

inline QStringList messageTexts(const RecordingPlatform& rec)
{
    QStringList texts;
    for (const auto& m : rec.messages)
        texts << m.text;
    return texts;
}

// The recorded messages are the expected ones in their order (an empty list: none at all).
inline void expectSaid(const RecordingPlatform& rec, const QList<Said>& want)
{
    ASSERT_EQ(rec.messages.size(), want.size()) << messageTexts(rec).join(u'|').toStdString();
    for (qsizetype i = 0; i < want.size(); ++i) {
        const RecordingPlatform::Message& m = rec.messages[i];
        if (want[i].text.endsWith(u'…'))
            EXPECT_TRUE(m.text.startsWith(want[i].text.chopped(1))) << i << ": " << m.text.toStdString();
        else
            EXPECT_EQ(m.text, want[i].text) << i;
        EXPECT_EQ(m.icon, want[i].icon.value_or(m.icon)) << i << ": " << m.text.toStdString();
        EXPECT_EQ(m.title, want[i].title.value_or(m.title)) << i << ": " << m.text.toStdString();
    }
}
