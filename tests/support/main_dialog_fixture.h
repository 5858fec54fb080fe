#pragma once

#include "res/control_ids.h"
#include "tests/support/test_support.h"
#include "tests/support/window_support.h"
#include "ui/main_dialog.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

// A fresh, initialised main window for every test, in a temporary home whose
// stored output folder exists (so no settings dialog appears).
class MainDialogFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        UseTemporaryHome();
        EnsureApp();
    }

    void SetUp() override
    {
        m_dialog = std::make_unique<MainDialog>();
        m_dialog->OnInitDialog();
    }

    void TearDown() override { m_dialog.reset(); }

    QLabel *label(int id) const { return m_dialog->controlAs<QLabel>(id); }
    QString status() const { return label(IdStatusLine)->text(); }
    void click(int id) { QTest::mouseClick(m_dialog->controlAs<QAbstractButton>(id), Qt::LeftButton); }

    std::unique_ptr<MainDialog> m_dialog;
};
