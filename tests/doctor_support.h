#pragma once
// What the doctor's two test programs (doctor_tests, doctor_agreement_tests)
// share.

#include <gtest/gtest.h>

#include <string>

#include "doctor/doctor.h"

// A setting as the doctor reports it, by key; a failure of the test when the
// report has no such key.
inline const sim::doctor::SettingUse& useOf(const sim::doctor::Diagnosis& diagnosis, const std::string& key)
{
    for (const sim::doctor::SettingUse& use : diagnosis.settings) {
        if (key == use.row->key)
            return use;
    }
    ADD_FAILURE() << "no setting " << key;
    return diagnosis.settings.front();
}
