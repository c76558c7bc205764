#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "DialogTestSupport.h"
#include "engine/ConversionSettings.h"
#include "ui/COptionDlg.h"
#include "ui/CUpDownCtrl.h"

using namespace tonalbox;
using namespace tonalbox::dialog_tests;
using tonalbox::ui::COptionDlg;

namespace {

enum : int {
    kWavSample = 1073, kWavChannels = 1069, kMp3Sample = 1072, kMp3Channels = 1068,
    kEncodeMode = 1070, kPreset = 1066, kBitrate = 1067, kQuality = 1076, kUpDown = 1075,
    kCopyright = 1034, kOriginal = 1035, kPrivate = 1036, kOk = 1, kCancel = 2
};

// Every value the dialog may touch, for whole-record comparisons.
std::vector<int> Values(const ConversionSettings& s) {
    const Mp3EncoderSettings& m = s.m_mp3;
    return {s.m_nWavChannels, s.m_nWavSampleRate, s.m_nWavSampleRateIndex, m.m_nInSampleRate,
            m.m_nOutSampleRate, m.m_nChannelMode, m.m_nInChannels, m.m_nBitrate, m.m_nPreset,
            m.m_nEncodeMode, m.m_nVbrQuality, m.m_bCopyright, m.m_bPrivate, m.m_bOriginal,
            m.m_nSampleRateIndex, m.m_nBitrateIndex, static_cast<int>(s.m_nOutputFormat), s.m_bOverwrite};
}

class OptionDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApp();
        settings = ConversionSettings::Defaults();
    }
    QComboBox* List(COptionDlg& d, int id) { return Control<QComboBox>(&d, id); }
    QCheckBox* Check(COptionDlg& d, int id) { return Control<QCheckBox>(&d, id); }
    QLineEdit* Quality(COptionDlg& d) { return Control<QLineEdit>(&d, kQuality); }
    QWidget* UpDown(COptionDlg& d) { return Control<QWidget>(&d, kUpDown); }
    void Click(COptionDlg& d, int id) { Control<QPushButton>(&d, id)->click(); }
    QStringList Items(COptionDlg& d, int id) {
        QStringList items;
        for (int i = 0; i < List(d, id)->count(); ++i) items << List(d, id)->itemText(i);
        return items;
    }

    ConversionSettings settings;
};

}  // namespace

TEST_F(OptionDlgTest, EveryListHasItsItemsInOrder) {
    COptionDlg dlg(settings);
    EXPECT_EQ(dlg.windowTitle(), "Option");
    EXPECT_EQ(Items(dlg, kWavSample), (QStringList{"11025 Hz", "22050 Hz", "44100 Hz"}));
    EXPECT_EQ(Items(dlg, kWavChannels), (QStringList{"Mono", "Stereo"}));
    EXPECT_EQ(Items(dlg, kMp3Sample), (QStringList{"Same as input", "11025 Hz", "22050 Hz", "44100 Hz"}));
    EXPECT_EQ(Items(dlg, kMp3Channels), (QStringList{"Stereo", "Joint stereo", "Dual Channel", "Mono"}));
    EXPECT_EQ(Items(dlg, kEncodeMode), (QStringList{"CBR", "ABR", "VBR", "PRESET"}));
    EXPECT_EQ(Items(dlg, kPreset),
              (QStringList{"Normal", "Low", "High", "Voice", "R3mix", "Very high", "Standard",
                           "Fast standard", "Extreme", "Fast extreme", "Insane", "ABR", "CBR", "Phone",
                           "SW", "AM", "FM", "Voice (new)", "Radio", "Tape", "HiFi", "CD", "Studio"}));
    EXPECT_EQ(Items(dlg, kBitrate),
              (QStringList{"32k", "40k", "48k", "56k", "64k", "80k", "96k", "112k", "128k", "160k",
                           "192k", "224k", "256k", "320k"}));
}

TEST_F(OptionDlgTest, ShowsTheDefaults) {
    COptionDlg dlg(settings);
    EXPECT_EQ(List(dlg, kWavSample)->currentText(), "22050 Hz");
    EXPECT_EQ(List(dlg, kWavChannels)->currentText(), "Stereo");
    EXPECT_EQ(List(dlg, kMp3Sample)->currentText(), "Same as input");
    EXPECT_EQ(List(dlg, kMp3Channels)->currentText(), "Joint stereo");
    EXPECT_EQ(List(dlg, kEncodeMode)->currentText(), "CBR");
    EXPECT_EQ(List(dlg, kPreset)->currentText(), "R3mix");
    EXPECT_FALSE(List(dlg, kPreset)->isEnabled());
    EXPECT_EQ(List(dlg, kBitrate)->currentText(), "128k");
    EXPECT_TRUE(List(dlg, kBitrate)->isEnabled());
    EXPECT_EQ(Quality(dlg)->text(), "5");
    EXPECT_FALSE(Quality(dlg)->isEnabled());
    EXPECT_FALSE(UpDown(dlg)->isEnabled());
    EXPECT_FALSE(Check(dlg, kCopyright)->isChecked());
    EXPECT_FALSE(Check(dlg, kOriginal)->isChecked());
    EXPECT_FALSE(Check(dlg, kPrivate)->isChecked());
    EXPECT_EQ(dlg.focusWidget(), List(dlg, kMp3Sample));
}

TEST_F(OptionDlgTest, OkWithoutChangesStoresTheSameValues) {
    const std::vector<int> before = Values(settings);
    COptionDlg dlg(settings);
    dlg.show();
    Click(dlg, kOk);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(Values(settings), before);
}

TEST_F(OptionDlgTest, OkStoresPositionsFlagsAndTableValues) {
    COptionDlg dlg(settings);
    dlg.show();
    List(dlg, kMp3Sample)->setCurrentIndex(3);   // 44100 Hz
    List(dlg, kWavChannels)->setCurrentIndex(0); // Mono
    List(dlg, kWavSample)->setCurrentIndex(2);   // 44100 Hz
    List(dlg, kMp3Channels)->setCurrentIndex(3); // Mono
    List(dlg, kBitrate)->setCurrentIndex(13);    // 320k
    List(dlg, kPreset)->setCurrentIndex(22);     // Studio
    List(dlg, kEncodeMode)->setCurrentIndex(2);  // VBR
    Quality(dlg)->setText("2");
    Check(dlg, kCopyright)->setChecked(true);
    Check(dlg, kPrivate)->setChecked(true);
    Click(dlg, kOk);
    ASSERT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(settings.m_mp3.m_nSampleRateIndex, 3);
    EXPECT_EQ(settings.m_mp3.m_nOutSampleRate, 44100);
    EXPECT_EQ(settings.m_nWavChannels, 1);
    EXPECT_EQ(settings.m_nWavSampleRateIndex, 2);
    EXPECT_EQ(settings.m_nWavSampleRate, 44100);
    EXPECT_EQ(settings.m_mp3.m_nChannelMode, 3);
    EXPECT_EQ(settings.m_mp3.m_nBitrateIndex, 13);
    EXPECT_EQ(settings.m_mp3.m_nBitrate, 320);
    EXPECT_EQ(settings.m_mp3.m_nPreset, 22);
    EXPECT_EQ(settings.m_mp3.m_nEncodeMode, 2);
    EXPECT_EQ(settings.m_mp3.m_nVbrQuality, 2);
    EXPECT_EQ(settings.m_mp3.m_bCopyright, 1);
    EXPECT_EQ(settings.m_mp3.m_bOriginal, 0);
    EXPECT_EQ(settings.m_mp3.m_bPrivate, 1);
    // Not the dialog's: the encoder's input format stays.
    EXPECT_EQ(settings.m_mp3.m_nInSampleRate, 22050);

    // "Same as input" stores rate 0 again.
    COptionDlg again(settings);
    again.show();
    List(again, kMp3Sample)->setCurrentIndex(0);
    Click(again, kOk);
    EXPECT_EQ(settings.m_mp3.m_nSampleRateIndex, 0);
    EXPECT_EQ(settings.m_mp3.m_nOutSampleRate, 0);
}

TEST_F(OptionDlgTest, EncodeModeEnablesTheControlsOfThatMode) {
    COptionDlg dlg(settings);
    struct Row {
        int mode;
        bool bitrate, preset, quality;
    } rows[] = {{2, false, false, true}, {0, true, false, false}, {3, false, true, false},
                {1, true, false, false}, {2, false, false, true}};
    for (const Row& r : rows) {
        List(dlg, kEncodeMode)->setCurrentIndex(r.mode);
        EXPECT_EQ(List(dlg, kBitrate)->isEnabled(), r.bitrate) << r.mode;
        EXPECT_EQ(List(dlg, kPreset)->isEnabled(), r.preset) << r.mode;
        EXPECT_EQ(Quality(dlg)->isEnabled(), r.quality) << r.mode;
        EXPECT_EQ(UpDown(dlg)->isEnabled(), r.quality) << r.mode;
    }
    // No selection changes nothing; the values of disabled controls stay.
    List(dlg, kEncodeMode)->setCurrentIndex(-1);
    EXPECT_FALSE(List(dlg, kBitrate)->isEnabled());
    EXPECT_TRUE(Quality(dlg)->isEnabled());
    EXPECT_EQ(List(dlg, kBitrate)->currentText(), "128k");
}

TEST_F(OptionDlgTest, VbrStillStoresTheDisabledBitrate) {
    settings.m_mp3.m_nBitrateIndex = 10;
    settings.m_mp3.m_nBitrate = 999;  // not what the table says: OK recomputes it
    COptionDlg dlg(settings);
    dlg.show();
    List(dlg, kEncodeMode)->setCurrentIndex(2);
    Click(dlg, kOk);
    EXPECT_EQ(settings.m_mp3.m_nEncodeMode, 2);
    EXPECT_EQ(settings.m_mp3.m_nBitrateIndex, 10);
    EXPECT_EQ(settings.m_mp3.m_nBitrate, 192);
}

TEST_F(OptionDlgTest, QualityOutsideZeroToNineOrNotANumberIsRefused) {
    const std::vector<int> before = Values(settings);
    struct Case {
        const char* text;
        const char* message;
        int mode;
    } cases[] = {
        {"12", "Please enter an integer between 0 and 9.", 2},
        {"-1", "Please enter an integer between 0 and 9.", 2},
        {"abc", "Please enter an integer.", 2},
        {"", "Please enter an integer.", 2},
        // Also while the edit is disabled (CBR).
        {"12", "Please enter an integer between 0 and 9.", 0},
    };
    for (const Case& c : cases) {
        COptionDlg dlg(settings);
        dlg.show();
        List(dlg, kEncodeMode)->setCurrentIndex(2);
        Quality(dlg)->setText(QString::fromLatin1(c.text));
        List(dlg, kEncodeMode)->setCurrentIndex(c.mode);
        List(dlg, kWavChannels)->setCurrentIndex(0);
        ModalAnswerer answerer;
        Click(dlg, kOk);
        ASSERT_EQ(answerer.Texts(), std::vector<std::string>{c.message}) << c.text;
        EXPECT_TRUE(dlg.isVisible()) << c.text;
        EXPECT_EQ(Values(settings), before) << c.text;
        if (c.mode == 2) EXPECT_EQ(dlg.focusWidget(), Quality(dlg)) << c.text;
        else EXPECT_EQ(dlg.focusWidget(), List(dlg, kEncodeMode)) << c.text;
        dlg.reject();
    }
}

TEST_F(OptionDlgTest, CancelAfterChangesStoresNothing) {
    const std::vector<int> before = Values(settings);
    for (int way = 0; way < 3; ++way) {
        COptionDlg dlg(settings);
        dlg.show();
        List(dlg, kMp3Sample)->setCurrentIndex(3);
        List(dlg, kWavChannels)->setCurrentIndex(0);
        List(dlg, kEncodeMode)->setCurrentIndex(2);
        Quality(dlg)->setText("9");
        Check(dlg, kOriginal)->setChecked(true);
        if (way == 0) Click(dlg, kCancel);
        if (way == 1) QTest::keyClick(List(dlg, kMp3Sample), Qt::Key_Escape);
        if (way == 2) dlg.close();
        EXPECT_EQ(dlg.result(), QDialog::Rejected) << way;
        EXPECT_EQ(Values(settings), before) << way;
    }
}

TEST_F(OptionDlgTest, PositionsOutOfRangeShowNoSelectionAndKeepTheirSetting) {
    settings.m_nWavSampleRateIndex = 7;
    settings.m_nWavSampleRate = 12345;
    settings.m_mp3.m_nBitrateIndex = 20;
    settings.m_mp3.m_nBitrate = 128;
    settings.m_mp3.m_nEncodeMode = 9;
    settings.m_mp3.m_nVbrQuality = 4;
    COptionDlg dlg(settings);
    EXPECT_EQ(List(dlg, kWavSample)->currentIndex(), -1);
    EXPECT_EQ(List(dlg, kBitrate)->currentIndex(), -1);
    EXPECT_EQ(List(dlg, kEncodeMode)->currentIndex(), -1);
    // Without an encode mode the rule leaves every control as created.
    EXPECT_TRUE(List(dlg, kBitrate)->isEnabled());
    EXPECT_TRUE(List(dlg, kPreset)->isEnabled());
    EXPECT_TRUE(Quality(dlg)->isEnabled());
    dlg.show();
    List(dlg, kMp3Sample)->setCurrentIndex(2);
    Click(dlg, kOk);
    ASSERT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(settings.m_nWavSampleRateIndex, 7);
    EXPECT_EQ(settings.m_nWavSampleRate, 12345);
    EXPECT_EQ(settings.m_mp3.m_nBitrateIndex, 20);
    EXPECT_EQ(settings.m_mp3.m_nBitrate, 128);
    EXPECT_EQ(settings.m_mp3.m_nEncodeMode, 9);
    EXPECT_EQ(settings.m_mp3.m_nSampleRateIndex, 2);
    EXPECT_EQ(settings.m_mp3.m_nOutSampleRate, 22050);
    EXPECT_EQ(settings.m_mp3.m_nVbrQuality, 4);
}

TEST_F(OptionDlgTest, UpDownStepsQualityWithinZeroToNine) {
    settings.m_mp3.m_nEncodeMode = 2;
    settings.m_mp3.m_nVbrQuality = 8;
    COptionDlg dlg(settings);
    dlg.show();
    auto* upDown = Control<tonalbox::ui::CUpDownCtrl>(&dlg, kUpDown);
    ASSERT_NE(upDown, nullptr);
    EXPECT_EQ(upDown->Buddy(), Quality(dlg));
    EXPECT_EQ(upDown->Lower(), 0);
    EXPECT_EQ(upDown->Upper(), 9);
    upDown->Step(+1);
    upDown->Step(+1);
    EXPECT_EQ(Quality(dlg)->text(), "9");
    QTest::keyClick(Quality(dlg), Qt::Key_Down);
    EXPECT_EQ(Quality(dlg)->text(), "8");
    Click(dlg, kOk);
    EXPECT_EQ(settings.m_mp3.m_nVbrQuality, 8);
}

TEST_F(OptionDlgTest, TabFollowsTheTemplateOrder) {
    settings.m_mp3.m_nEncodeMode = 2;  // every control of the order enabled but Bitrate, Preset
    COptionDlg dlg(settings);
    dlg.show();
    List(dlg, kEncodeMode)->setCurrentIndex(-1);
    List(dlg, kBitrate)->setEnabled(true);
    List(dlg, kPreset)->setEnabled(true);
    const int order[] = {kMp3Sample, kOk, kCancel, kPreset, kBitrate, kMp3Channels, kWavChannels,
                         kEncodeMode, kQuality, kCopyright, kOriginal, kPrivate, kWavSample, kMp3Sample};
    QWidget* w = List(dlg, kMp3Sample);
    for (std::size_t i = 1; i < std::size(order); ++i) {
        w = NextTabStop(w);
        EXPECT_EQ(w->objectName(), QStringLiteral("idc_%1").arg(order[i])) << i;
    }
}

TEST_F(OptionDlgTest, EveryTextFitsItsControl) {
    COptionDlg dlg(settings);
    ExpectTextsFit(&dlg);
}
