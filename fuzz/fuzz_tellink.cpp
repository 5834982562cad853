// SPDX-License-Identifier: GPL-3.0-or-later
// A tel: address, whatever it holds: the number the Phone Dialer shows is the one a dialer
// gets (nothing the field would take out), it holds no control, format or separator
// character, and no ";" is left in it; what the modem may be given is one dial command, ended
// by its only CR.
#include "FuzzCheck.h"
#include "base/TelLink.h"
#include "sources/DialStep.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text = fuzzBytes(data, size).toByteArray();
    // A page's link, and an address typed on the command line.
    for (const std::optional<QString> &number :
         {TelLink::dialNumber(QUrl::fromEncoded("tel:" + text)),
          TelLink::dialNumber(QUrl(QString::fromUtf8(text))),
          std::optional(TelLink::addressNumber(QString::fromUtf8(text)))}) {
        if (!number)
            continue;
        FUZZ_CHECK(TelLink::visibleText(*number) == *number);
        FUZZ_CHECK(!number->contains(u';'));
        for (const QChar c : *number) {
            const QChar::Category category = c.category();
            FUZZ_CHECK(category != QChar::Other_Control && category != QChar::Other_Format &&
                       category != QChar::Separator_Line && category != QChar::Separator_Paragraph);
        }
        if (!DialStep::refusal(*number).isEmpty())
            continue;
        DialStep step;
        step.confirm(*number);
        const QStringList commands = step.tick();
        FUZZ_CHECK(number->isEmpty() ||
                   (commands.size() == 1 && commands[0].indexOf(u'\r') == commands[0].size() - 1));
    }
    return 0;
}
