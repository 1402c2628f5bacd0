// The installer page view drawn headless: what each stage shows, what a
// click at each element sends, and what is hidden or inert.
#include <gtest/gtest.h>
#include <imgui.h>
#include <imgui_internal.h>

#include <cmath>
#include <string>
#include <vector>

#include "installer/component_catalogue.h"
#include "installer/error_catalogue.h"
#include "installer/outside_components.h"
#include "installer/views/progress_page.h"
#include "installer/views/result_pages.h"
#include "pages/page_rig.h"
#include "translator/lang.h"

namespace installer = kovo::plugin::web::installer;
using installer::AutoRunTypes;
using installer::InstallPhase;
using installer::InstallTypes;
using installer::PageData;
using installer::PageStage;
using installer::PictureId;
using kovo::testing::PageRig;
using Strings = std::vector<std::string>;

namespace {

void* Handle(PageRig& rig, PictureId id) {
  const auto& picture = rig.View().Pictures()[static_cast<std::size_t>(id)];
  return picture.texture ? picture.texture->GetHandle() : nullptr;
}

// Cyrillic letters are two-byte sequences led by 0xD0 or 0xD1.
std::string CyrillicWordsIn(const std::string& text) {
  std::string words;
  std::string word;
  bool cyrillic = false;
  for (char c : text + " ") {
    if (c == ' ' || c == '\n') {
      if (cyrillic) words += word + " ";
      word.clear();
      cyrillic = false;
      continue;
    }
    word.push_back(c);
    const auto byte = static_cast<unsigned char>(c);
    if (byte == 0xD0 || byte == 0xD1) cyrillic = true;
  }
  return words;
}

constexpr float kStartX = 612 + 70, kStartY = 604 + 24;
constexpr float kFolderX = 59, kFolderY = 629;

}  // namespace

// ---------------------------------------------------------------------------
// Window, title bar, header

TEST(PageView, TheTitleBarCloseAndThePlatformCloseEachSendOneCloseEvent) {
  PageRig rig;
  rig.Frames(2);
  rig.Click(725 + 20, 40 + 20);
  EXPECT_EQ(rig.TakeEvents(), Strings{"Close"});

  rig.gui.Window().SystemClose();
  rig.Frames(3);
  EXPECT_EQ(rig.TakeEvents(), Strings{"Close"});

  rig.Click(685 + 20, 40 + 20);
  EXPECT_TRUE(rig.gui.Window().Minimized());
  EXPECT_TRUE(rig.TakeEvents().empty());
}

TEST(PageView, TheHeaderFollowsTheStageAndTheLanguageFromTheNextFrame) {
  PageRig rig;
  const auto& options = rig.Frame();
  EXPECT_TRUE(options.DrewTexture(Handle(rig, PictureId::HeaderRu)));
  EXPECT_TRUE(options.HasText("Рекомендуемые модули для работы со КОВО"));
  EXPECT_NE(rig.gui.Window().Caption().find("КОВО Плагин"), std::string::npos);

  rig.Set([](PageData& d) { d.stage = PageStage::Progress; });
  const auto& progress = rig.Frame();
  EXPECT_TRUE(progress.DrewTexture(Handle(rig, PictureId::LogoRu)));
  EXPECT_FALSE(progress.DrewTexture(Handle(rig, PictureId::HeaderRu)));
  EXPECT_TRUE(progress.HasText("Что еще умеет Плагин?"));

  installer::SetLanguage(installer::kLanguageEnglish);
  EXPECT_TRUE(rig.Frame().DrewTexture(Handle(rig, PictureId::LogoEn)));
  rig.Set([](PageData& d) { d.stage = PageStage::Success; });
  const auto& success = rig.Frame();
  EXPECT_TRUE(success.DrewTexture(Handle(rig, PictureId::HeaderEn)));
  EXPECT_TRUE(success.DrewTexture(Handle(rig, PictureId::SuccessEn)));
  EXPECT_FALSE(success.HasText("What else can the Plugin do?"));
}

TEST(PageView, EveryPictureBecomesATextureOfItsOwnSize) {
  PageRig rig;
  for (int i = 0; i < installer::kPictureCount; ++i) {
    const auto& picture = rig.View().Pictures()[static_cast<std::size_t>(i)];
    ASSERT_TRUE(picture.texture) << "picture " << i;
    EXPECT_NE(picture.texture->GetHandle(), nullptr);
    const auto bytes = installer::GetPicture(static_cast<PictureId>(i));
    EXPECT_EQ(picture.size.x, bytes.width);
    EXPECT_EQ(picture.size.y, bytes.height);
  }
  EXPECT_EQ(rig.View().Pictures()[static_cast<std::size_t>(PictureId::HeaderRu)].size.x, 800);
  EXPECT_EQ(rig.View().Pictures()[static_cast<std::size_t>(PictureId::Slide1)].size.y, 289);
}

// ---------------------------------------------------------------------------
// Options page

TEST(OptionsPage, TheStartButtonSendsTheWorkingCopyInOrder) {
  PageRig rig;
  rig.Frame();
  rig.Click(kStartX, kStartY);
  EXPECT_EQ(rig.TakeEvents(), Strings{"Start"});
  ASSERT_TRUE(rig.start);
  EXPECT_EQ(rig.start->path, installer::kDefaultInstallPath);
  EXPECT_EQ(rig.start->installType, InstallTypes::Recommended);
  EXPECT_TRUE(rig.start->components.empty());
  EXPECT_TRUE(rig.start->autoRun);
  EXPECT_EQ(rig.start->autoRunType, AutoRunTypes::CurrentUser);
  EXPECT_TRUE(rig.start->desktopShortcut);

  // Open the section, choose Full, all users, then switch the automatic
  // start off: the scope is hidden but still sent.
  ASSERT_TRUE(rig.ClickItem("##cb_arrow"));
  ASSERT_TRUE(rig.ClickChoice("Полная"));
  ASSERT_TRUE(rig.ClickChoice("Для всех"));
  ASSERT_TRUE(rig.ClickChoice("Автоматически запускать при старте системы"));
  EXPECT_FALSE(rig.FindChoice("Для всех"));
  ASSERT_TRUE(rig.ClickChoice(installer::DesktopShortcutTextKey()));
  rig.Click(kStartX, kStartY);
  ASSERT_TRUE(rig.start);
  EXPECT_EQ(rig.start->installType, InstallTypes::Full);
  EXPECT_FALSE(rig.start->autoRun);
  EXPECT_EQ(rig.start->autoRunType, AutoRunTypes::AllUsers);
  EXPECT_FALSE(rig.start->desktopShortcut);

  // Closing the section keeps the choices.
  ASSERT_TRUE(rig.ClickItem("##cb_arrow"));
  EXPECT_EQ(rig.Last().FindItem("Полная"), nullptr);
  rig.Click(kStartX, kStartY);
  EXPECT_EQ(rig.start->installType, InstallTypes::Full);
}

TEST(OptionsPage, TheComponentTreeSendsTicksInIdentifierOrderWithoutWin) {
  PageRig rig;
  rig.Set([](PageData& d) { d.reinstall = true; });  // the section starts open
  rig.Frame();
  EXPECT_EQ(rig.Last().FindItem("##0_arrow"), nullptr);
  ASSERT_TRUE(rig.ClickChoice("Пользовательская"));

  // The groups in catalogue order; only "Recommended" starts open.
  int position = 0;
  const std::string region = rig.ScrollThroughChoices();
  for (const auto& group : installer::ComponentGroups()) {
    EXPECT_TRUE(rig.FindChoice("##" + std::to_string(position++) + "_arrow"));
    EXPECT_NE(region.find(installer::GroupLabel(group.first)), std::string::npos);
    const std::string first = installer::GroupComponents().at(group.first).front();
    const bool shown = rig.FindChoice(installer::ComponentLabel(first) + "##" + first).has_value();
    EXPECT_EQ(shown, group.first == "Recommended") << group.first;
  }

  // Open "Extensions" (position 0) and tick its "_win" feature and one of
  // "Recommended", the later one first.
  ASSERT_TRUE(rig.ClickChoice("##0_arrow"));
  const std::string win_feature = "DocumentScanner_win";
  const std::string recommended = installer::GroupComponents().at("Recommended").front();
  const auto tick = [&](const std::string& id) {
    ASSERT_TRUE(rig.ClickChoice(installer::ComponentLabel(id) + "##" + id)) << id;
  };
  tick(recommended);
  tick(win_feature);
  rig.Click(kStartX, kStartY);
  ASSERT_TRUE(rig.start);
  EXPECT_EQ(rig.start->installType, InstallTypes::Custom);
  std::vector<std::string> expected{"DocumentScanner", installer::PackageFeatureName(recommended)};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(rig.start->components, expected);

  // Away from custom the tree goes, its ticks stay.
  ASSERT_TRUE(rig.ClickChoice("Минимальная"));
  EXPECT_FALSE(rig.FindChoice("##0_arrow"));
  EXPECT_TRUE(installer::ComponentChecks().at(win_feature));
  ASSERT_TRUE(rig.ClickChoice("Пользовательская"));
  const auto box = rig.FindChoice(installer::ComponentLabel(win_feature) + "##" + win_feature);
  ASSERT_TRUE(box);
  EXPECT_NE(box->status_flags & ImGuiItemStatusFlags_Checked, 0) << "ticked";

  // Collapsing "Recommended" hides its features.
  position = 0;
  for (const auto& group : installer::ComponentGroups()) {
    if (group.first == "Recommended") break;
    ++position;
  }
  ASSERT_TRUE(rig.ClickChoice("##" + std::to_string(position) + "_arrow"));
  EXPECT_FALSE(rig.FindChoice(installer::ComponentLabel(recommended) + "##" + recommended));
}

TEST(OptionsPage, TheFolderButtonAlwaysSendsAChoiceAndKeepsTheFolderOnCancel) {
  PageRig rig;
  rig.Frame();
  rig.pickerAnswer = "D:\\Apps\\Veltra Company Ltd\\KOVO3Plugin\\";
  rig.Click(kFolderX, kFolderY);
  EXPECT_EQ(rig.pickerStartFolders, Strings{installer::kDefaultInstallPath});
  EXPECT_EQ(rig.chosenPaths, Strings{"D:\\Apps\\Veltra Company Ltd\\KOVO3Plugin\\"});
  EXPECT_TRUE(rig.Last().HasText("D:\\Apps\\Veltra Company Ltd\\KOVO3Plugin\\"));

  rig.pickerAnswer.reset();
  rig.Click(kFolderX, kFolderY);
  EXPECT_EQ(rig.chosenPaths.back(), "D:\\Apps\\Veltra Company Ltd\\KOVO3Plugin\\");
  rig.Click(kStartX, kStartY);
  ASSERT_TRUE(rig.start);
  EXPECT_EQ(rig.start->path, "D:\\Apps\\Veltra Company Ltd\\KOVO3Plugin\\");
}

TEST(OptionsPage, TooLittleSpaceShowsTheWarningAndNoStartButton) {
  PageRig rig;
  rig.Set([](PageData& d) {
    d.errorKind = installer::kNotEnoughSpace;
    d.missingSpaceMb = 312;
  });
  const auto& frame = rig.Frame();
  EXPECT_TRUE(frame.HasText("На диске недостаточно свободного места. Не хватает 312 Мб"));
  EXPECT_TRUE(frame.DrewTexture(Handle(rig, PictureId::WarningIcon)));
  EXPECT_EQ(frame.FindItem("Установить"), nullptr);
  EXPECT_FALSE(frame.HasText("лицензионным соглашением"));
  rig.Click(kStartX, kStartY);
  EXPECT_TRUE(rig.TakeEvents().empty());

  // Another folder: the choice goes out, and once the controller clears the
  // warning the button is back.
  rig.pickerAnswer = "E:\\Veltra Company Ltd\\KOVO3Plugin\\";
  rig.Click(kFolderX, kFolderY);
  EXPECT_EQ(rig.TakeEvents(), Strings{"ChoicePath"});
  rig.Set([](PageData& d) { d.errorKind = 0; });
  EXPECT_NE(rig.Frame().FindItem("Установить"), nullptr);
}

TEST(OptionsPage, AnInstalledPluginShowsItsVersionNoFolderButtonAndUpdate) {
  PageRig rig;
  rig.Set([](PageData& d) {
    d.installed = true;
    d.installedVersion = "21.6200.10.0";
  });
  const auto& frame = rig.Frame();
  EXPECT_TRUE(frame.HasText("КОВО Плагин версии: 21.6200.10.0 уже установлен"));
  EXPECT_EQ(frame.FindItem("Установить"), nullptr);
  const auto* update = frame.FindItem("Обновить");
  ASSERT_NE(update, nullptr);
  EXPECT_EQ(update->x, 622);
  EXPECT_EQ(update->width, 130);
  EXPECT_TRUE(frame.HasText("Нажимая \"Обновить\", Вы соглашаетесь с"));
  rig.Click(kFolderX, kFolderY);
  EXPECT_TRUE(rig.pickerStartFolders.empty());
  EXPECT_TRUE(rig.TakeEvents().empty());
}

TEST(OptionsPage, TheLicenceLinkOpensAndTheLanguageSwitchesFromTheNextFrame) {
  PageRig rig;
  rig.Frame();
  ASSERT_TRUE(rig.ClickItem("лицензионным соглашением"));
  EXPECT_EQ(rig.openedUrls, Strings{installer::ProductSiteAddress("/reglament")});

  ASSERT_TRUE(rig.ClickItem("EN"));
  EXPECT_EQ(installer::CurrentLanguage(), installer::kLanguageEnglish);
  const auto& english = rig.Frame();
  EXPECT_NE(english.FindItem("Install"), nullptr);
  EXPECT_TRUE(english.HasText("Working with cryptography"));
  ASSERT_TRUE(rig.ClickItem("RU"));
  EXPECT_NE(rig.Frame().FindItem("Установить"), nullptr);
}

TEST(OptionsPage, TheWorkingCopyIsMadeOnceAndSurvivesAVisitOfOtherPages) {
  PageRig rig;
  rig.Set([](PageData& d) { d.reinstall = true; });
  rig.Frame();
  ASSERT_TRUE(rig.ClickChoice("Минимальная"));
  rig.Set([](PageData& d) {
    d.stage = PageStage::Progress;
    d.installType = InstallTypes::Full;
    d.installPath = "X:\\elsewhere";
  });
  rig.Frame();
  rig.Set([](PageData& d) { d.stage = PageStage::Options; });
  rig.Frame();
  rig.Click(kStartX, kStartY);
  ASSERT_TRUE(rig.start);
  EXPECT_EQ(rig.start->installType, InstallTypes::Min);
  EXPECT_EQ(rig.start->path, installer::kDefaultInstallPath);
}

// ---------------------------------------------------------------------------
// Progress page

TEST(ProgressPage, SlidesAreOrderedByTheirTranslatedTitlesInEachLanguage) {
  installer::SetLanguage(installer::kLanguageRussian);
  const auto titles = [] {
    Strings result;
    for (const auto& slide : installer::OrderedSlides()) result.push_back(slide.title);
    return result;
  };
  EXPECT_EQ(titles(), (Strings{"Рисуйте в видеозвонке", "Скриншоты и запись экрана",
                               "Удаленное управление ПК", "Электронные документы"}));
  const auto russian = installer::OrderedSlides();
  installer::SetLanguage(installer::kLanguageEnglish);
  EXPECT_EQ(titles(), (Strings{"Draw on a video call", "Electronic documents", "Remote PC control",
                               "Screen Recording"}));
  // Each slide keeps its picture and address whatever the order.
  for (const auto& slide : installer::OrderedSlides()) {
    const auto same = std::find_if(russian.begin(), russian.end(),
                                   [&](const auto& r) { return r.picture == slide.picture; });
    ASSERT_NE(same, russian.end());
    EXPECT_EQ(same->address, slide.address);
  }
  EXPECT_EQ(installer::OrderedSlides()[0].picture, PictureId::Slide2);
  EXPECT_EQ(installer::OrderedSlides()[3].address,
            installer::ProductSiteAddress("/help/plugin/kovo3plugin/kovoscreens"));
  installer::SetLanguage(installer::kLanguageRussian);
}

TEST(ProgressPage, TheTimerAdvancesTheSlidesWrapsAndIsKeptAcrossVisits) {
  PageRig rig;
  rig.Set([](PageData& d) { d.stage = PageStage::Progress; });
  const auto slides = installer::OrderedSlides();
  EXPECT_TRUE(rig.Frame().DrewTexture(Handle(rig, slides[0].picture)));
  // 60 frames a second in the rig: a turn takes 2 pi / 0.6 s, about 628 frames.
  const int frames_per_slide =
      static_cast<int>(std::ceil(6.2831853f / installer::ProgressPage::kTimerSpeed * 60.0f));
  rig.Frames(frames_per_slide - 5);
  EXPECT_EQ(rig.View().Progress().CurrentSlide(), 0);
  rig.Frames(6);
  EXPECT_EQ(rig.View().Progress().CurrentSlide(), 1);
  EXPECT_TRUE(rig.Frame().DrewTexture(Handle(rig, slides[1].picture)));
  EXPECT_FALSE(rig.Last().DrewTexture(Handle(rig, slides[0].picture)));

  // A visit of another page keeps index and angle.
  const float angle = rig.View().Progress().TimerAngle();
  rig.Set([](PageData& d) { d.stage = PageStage::Options; });
  rig.Frames(3);
  rig.Set([](PageData& d) { d.stage = PageStage::Progress; });
  EXPECT_EQ(rig.View().Progress().CurrentSlide(), 1);
  EXPECT_FLOAT_EQ(rig.View().Progress().TimerAngle(), angle);

  rig.Frames(3 * frames_per_slide);
  EXPECT_EQ(rig.View().Progress().CurrentSlide(), 0) << "after the last the first";
}

TEST(ProgressPage, MoreDetailsOpensTheCurrentSlidesPage) {
  PageRig rig;
  rig.Set([](PageData& d) { d.stage = PageStage::Progress; });
  const auto& frame = rig.Frame();
  const auto* link = frame.FindItem("Подробнее");
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->x, 500 + 145);
  ASSERT_TRUE(rig.ClickItem("Подробнее"));
  EXPECT_EQ(rig.openedUrls, Strings{installer::OrderedSlides()[0].address});
}

TEST(ProgressPage, CancelWorksOnlyWhileDownloadingAndThePhaseTextFollows) {
  PageRig rig;
  rig.Set([](PageData& d) {
    d.stage = PageStage::Progress;
    d.progress = 0.42f;
  });
  const auto& downloading = rig.Frame();
  EXPECT_TRUE(downloading.HasText("Загрузка дополнительных файлов"));
  EXPECT_TRUE(downloading.HasText("Идет установка, пожалуйста, подождите"));
  rig.Click(645 + 55, 628 + 24);
  EXPECT_EQ(rig.TakeEvents(), Strings{"Cancel"});

  for (const auto& phase :
       {std::make_pair(InstallPhase::Installing, "Установка КОВО Плагин"),
        std::make_pair(InstallPhase::AnalysingLogs, "Анализ логов установки")}) {
    rig.Set([&](PageData& d) { d.phase = phase.first; });
    EXPECT_TRUE(rig.Frame().HasText(phase.second));
    EXPECT_FALSE(rig.Last().HasText("Загрузка дополнительных файлов"));
    rig.Click(645 + 55, 628 + 24);
    EXPECT_TRUE(rig.TakeEvents().empty());
  }
}

// ---------------------------------------------------------------------------
// Result pages

TEST(SuccessPage, InstalledNowOffersDiagnosticsFinishTheVideoAndTheLinks) {
  PageRig rig;
  rig.Set([](PageData& d) { d.stage = PageStage::Success; });
  const auto& frame = rig.Frame();
  EXPECT_TRUE(frame.HasText("Плагин успешно установлен, приятной работы"));
  EXPECT_TRUE(frame.DrewTexture(Handle(rig, PictureId::SuccessRu)));
  EXPECT_EQ(frame.FindItem("Переустановить"), nullptr);
  EXPECT_EQ(frame.FindItem("Запустить плагин"), nullptr);
  rig.Click(380 + 110, 628 + 24);
  rig.Click(615 + 65, 628 + 24);
  rig.Click(48 + 200, 250 + 110);
  EXPECT_EQ(rig.TakeEvents(), (Strings{"Diagnostic", "Close", "Video"}));

  Strings expected;
  for (const auto& link : installer::UsefulLinks()) {
    ASSERT_TRUE(rig.ClickItem(link.first)) << link.first;
    expected.push_back(link.second);
  }
  EXPECT_EQ(rig.openedUrls, expected);
  EXPECT_EQ(expected.size(), 6u);
}

TEST(SuccessPage, AlreadyInstalledVariantsPlaceTheirButtons) {
  struct Case {
    bool running;
    bool runRequested;
    float reinstallX;
    const char* second;
    Strings clicks;
  };
  const Case cases[] = {
      {true, false, 420, "Завершить", {"Reinstall", "Close"}},
      {false, false, 375, "Запустить плагин", {"Reinstall", "RunPlugin"}},
      {false, true, 375, "Запустить плагин", {"Reinstall"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.second + std::string(c.runRequested ? " pending" : ""));
    PageRig rig;
    rig.Set([&](PageData& d) {
      d.stage = PageStage::Success;
      d.willInstall = false;
      d.installedVersion = "21.6225.55.0";
      d.serviceRunning = d.pluginRunning = c.running;
      d.runRequested = c.runRequested;
    });
    const auto& frame = rig.Frame();
    EXPECT_TRUE(frame.HasText("Актуальная версия 21.6225.55.0 уже установлена"));
    EXPECT_EQ(frame.FindItem("Мастер диагностики"), nullptr);
    const auto* reinstall = frame.FindItem("Переустановить");
    ASSERT_NE(reinstall, nullptr);
    EXPECT_EQ(reinstall->x, c.reinstallX);
    const auto* second = frame.FindItem(c.second);
    ASSERT_NE(second, nullptr);
    // A click draws new frames, which replace the items found above.
    const float reinstallX = reinstall->CenterX(), reinstallY = reinstall->CenterY();
    const float secondX = second->CenterX(), secondY = second->CenterY();
    rig.Click(reinstallX, reinstallY);
    rig.Click(secondX, secondY);
    EXPECT_EQ(rig.TakeEvents(), c.clicks);
  }
}

TEST(FailurePage, EveryKindShowsItsTitleDetailsAndTheRightLinks) {
  for (const auto& entry : installer::ErrorCatalogue) {
    if (entry.first == installer::kNotEnoughSpace) continue;
    const installer::ErrorInfo& info = entry.second;
    SCOPED_TRACE("kind " + std::to_string(entry.first));
    PageRig rig;
    rig.Set([&](PageData& d) {
      d.stage = PageStage::Failure;
      d.errorKind = entry.first;
    });
    const auto& frame = rig.Frame();
    EXPECT_TRUE(frame.HasText("Установка завершилась с ошибкой"));
    EXPECT_TRUE(frame.HasText(installer::Translate(info.title)));
    if (!info.details.empty()) {
      EXPECT_TRUE(frame.HasText(installer::Translate(info.details)));
    }
    EXPECT_TRUE(frame.DrewTexture(Handle(rig, PictureId::SupportOperator)));

    // The panel is 135 high without details and 190 with them, taller only
    // when its texts need it; the support frame always lies inside it.
    const kovo::desktop::ui::imgui::DrawnWindow* panel = nullptr;
    const kovo::desktop::ui::imgui::DrawnWindow* support = nullptr;
    for (const auto& window : frame.windows) {
      if (window.width == 580 && window.x == 168 && window.y == 292) panel = &window;
      if (window.width == 560 && window.height >= 60) support = &window;
    }
    ASSERT_TRUE(panel && support);
    EXPECT_GE(panel->height, info.details.empty() ? 135 : 190);
    EXPECT_LE(support->y + support->height, panel->y + panel->height);
    EXPECT_GE(support->x, panel->x);
    EXPECT_LE(support->x + support->width, panel->x + panel->width);
    EXPECT_LT(panel->y + panel->height, 628) << "above the buttons";

    const bool instruction = !info.helpLink.empty() &&
                             (info.advice.empty() || entry.first == installer::kUnsupportedWindows);
    const auto* link = frame.FindItem("Инструкция для устранения проблемы");
    EXPECT_EQ(link != nullptr, instruction);
    if (link) {
      ASSERT_TRUE(rig.ClickItem("Инструкция для устранения проблемы"));
      EXPECT_EQ(rig.openedUrls, Strings{info.helpLink});
    } else if (!info.helpLink.empty()) {
      // The advice itself is the link.
      const auto* advice = rig.FindItemStartingWith(
          installer::Translate(info.advice).substr(0, info.advice.find(' ')));
      ASSERT_NE(advice, nullptr);
      rig.Click(advice->CenterX(), advice->CenterY());
      EXPECT_EQ(rig.openedUrls, Strings{info.helpLink});
    } else if (!info.advice.empty()) {
      EXPECT_TRUE(frame.HasText(installer::Translate(info.advice)));
    }
    rig.openedUrls.clear();

    const auto* support_link = rig.FindItemStartingWith("технической поддержки");
    ASSERT_NE(support_link, nullptr);
    rig.Click(support_link->CenterX(), support_link->CenterY());
    EXPECT_EQ(rig.openedUrls, Strings{installer::ProductSiteSupportAddress()});
    rig.Click(400 + 107, 628 + 24);
    rig.Click(624 + 65, 628 + 24);
    EXPECT_EQ(rig.TakeEvents(), (Strings{"Help", "Close"}));
  }
}

TEST(FailurePage, AFailedPluginStartSaysAnErrorHappened) {
  for (const installer::ErrorKind kind :
       {installer::kServiceNotStarted, installer::kPluginNotStarted, installer::kNeitherStarted}) {
    PageRig rig;
    rig.Set([&](PageData& d) {
      d.stage = PageStage::Failure;
      d.errorKind = kind;
      d.runRequested = true;
    });
    EXPECT_TRUE(rig.Frame().HasText("Произошла ошибка"));
    EXPECT_FALSE(rig.Last().HasText("Установка завершилась с ошибкой"));
  }
}

// ---------------------------------------------------------------------------
// Texts

TEST(PageTexts, EveryPageDrawnInEnglishShowsNoRussianText) {
  const auto english_page = [](const std::function<void(PageData&)>& set,
                               const std::vector<std::string>& clicks) {
    PageRig rig;
    installer::SetLanguage(installer::kLanguageEnglish);
    rig.Set(set);
    rig.Frame();
    if (clicks.empty()) return CyrillicWordsIn(rig.Frame().text);
    for (const auto& label : clicks) EXPECT_TRUE(rig.ClickChoice(label)) << label;
    // Every group open, so that every feature label is drawn.
    for (std::size_t i = 0; i < installer::ComponentGroups().size(); ++i) {
      const std::string arrow = "##" + std::to_string(i) + "_arrow";
      const auto item = rig.FindChoice(arrow);
      EXPECT_TRUE(item) << arrow;
      if (item && !(item->status_flags & ImGuiItemStatusFlags_Checked)) rig.ClickChoice(arrow);
    }
    return CyrillicWordsIn(rig.ScrollThroughChoices());
  };
  EXPECT_EQ(english_page([](PageData& d) { d.reinstall = true; }, {"Custom"}), "");
  EXPECT_EQ(english_page(
                [](PageData& d) {
                  d.installed = true;
                  d.installedVersion = "1.2.3.4";
                },
                {}),
            "");
  EXPECT_EQ(english_page([](PageData& d) { d.errorKind = installer::kNotEnoughSpace; }, {}), "");
  for (auto phase :
       {InstallPhase::Downloading, InstallPhase::Installing, InstallPhase::AnalysingLogs}) {
    EXPECT_EQ(english_page(
                  [&](PageData& d) {
                    d.stage = PageStage::Progress;
                    d.phase = phase;
                  },
                  {}),
              "");
  }
  EXPECT_EQ(english_page([](PageData& d) { d.stage = PageStage::Success; }, {}), "");
  EXPECT_EQ(english_page(
                [](PageData& d) {
                  d.stage = PageStage::Success;
                  d.willInstall = false;
                },
                {}),
            "");
  for (const auto& entry : installer::ErrorCatalogue) {
    EXPECT_EQ(english_page(
                  [&](PageData& d) {
                    d.stage = PageStage::Failure;
                    d.errorKind = entry.first;
                  },
                  {}),
              "")
        << "kind " << entry.first;
  }
  EXPECT_EQ(english_page(
                [](PageData& d) {
                  d.stage = PageStage::Failure;
                  d.errorKind = installer::kServiceNotStarted;
                  d.runRequested = true;
                },
                {}),
            "");
}
