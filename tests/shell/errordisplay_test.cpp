#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "errordisplay.h"
#include "kaldrinoerror.h"
#include "messagebox.h"

// Readable failures for texts.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

TEST(ErrorBoxText, AppendsAFullStopOnlyAfterACharacterAboveIt)
{
    struct Case {
        const char16_t* message;
        const char16_t* shown;
    };
    const Case cases[] = {
        { u"", u"" },
        { u"Image bitmap incorrecte", u"Image bitmap incorrecte." },
        { u"Accès refusé.", u"Accès refusé." },
        { u"Erreur JPEG #42", u"Erreur JPEG #42." },
        { u"Impossible d'écrire dans /tmp/", u"Impossible d'écrire dans /tmp/." }, // '/' is just above '.'
        { u"trait-", u"trait-" }, // '-' is just below
        { u"fin!", u"fin!" },
        { u"parenthèse)", u"parenthèse)" },
        { u"espace ", u"espace " },
        { u"'x' n'est pas une valeur entière correcte", u"'x' n'est pas une valeur entière correcte." },
        { u"café", u"café." },
    };
    for (const Case& c : cases) {
        const QString message = QString::fromUtf16(c.message);
        EXPECT_EQ(errorBoxText(message), QString::fromUtf16(c.shown)) << message.toStdString();
    }
}

class ErrorDisplay : public ::testing::Test {
protected:
    void SetUp() override
    {
        setMessageSeamForTesting([this](const MessageRecord& record) {
            shown.push_back(record);
            return MsgResult::Ok;
        });
    }
    void TearDown() override { setMessageSeamForTesting(nullptr); }

    std::vector<MessageRecord> shown;
};

TEST_F(ErrorDisplay, ShowsOneOkBoxOfTheErrorKind)
{
    ShowErrorMessage(QStringLiteral("Extension de fichier graphique inconnue (.png)"));

    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QStringLiteral("Extension de fichier graphique inconnue (.png)"));
    EXPECT_EQ(shown[0].kind, MsgKind::Error);
    EXPECT_EQ(shown[0].buttons, MsgButtons::Ok);
}

TEST_F(ErrorDisplay, ReadsTheProgramsErrorsAsUtf8AndOthersByWhat)
{
    ShowException(VaultWriteError("Impossible d'écrire dans /dossier/kaldrino.ini"));
    ShowException(std::runtime_error("plain failure"));

    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, QStringLiteral("Impossible d'écrire dans /dossier/kaldrino.ini."));
    EXPECT_EQ(shown[1].text, QStringLiteral("plain failure."));
}

} // namespace
