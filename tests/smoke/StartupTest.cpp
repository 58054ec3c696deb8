#include <gtest/gtest.h>

#include "app/TFormMain.h"

TEST(Startup, MainWindowIsCreatedWithItsInitialState) {
    TFormMain form;
    EXPECT_EQ(form.m_nChannels, 0);
    EXPECT_EQ(form.m_PlayState, psIdle);
    EXPECT_TRUE(form.m_bStopped);
    EXPECT_EQ(form.m_nVolumeA, -10000);
    ASSERT_NE(form.m_pPlayList, nullptr);
    EXPECT_TRUE(form.m_pPlayList->empty());
}
