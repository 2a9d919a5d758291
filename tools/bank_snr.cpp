#include "tools/bank_snr.h"

#include <cmath>
#include <limits>

#include "inspect/bank_file.h"

StatusRecord DecodeBankSamples(const char* path, std::vector<int32_t>* values) {
    const int8_t trace = 0;
    BankFile file;
    StatusRecord status = OpenBankFile(trace, path, &file);
    if (status.code == 0 && (file.kind != BankFileKind::kEmuImage || !HasBank(file)))
        status = MakeStatus(1, 'E', "%s is not an Emulator II bank that can be read.", path);
    std::vector<int16_t> sampleValues;
    for (const SampleOverview* sample = status.code == 0 ? file.bank->Samples : nullptr; sample != nullptr;
         sample = sample->next) {
        if (!DecodeSampleValues(trace, file, *sample, &sampleValues)) {
            status = MakeStatus(1, 'E', "A sample of %s cannot be decoded.", path);
            break;
        }
        values->insert(values->end(), sampleValues.begin(), sampleValues.end());
    }
    CloseBankFile(trace, &file);
    return status;
}

double SignalToNoiseDb(const std::vector<int32_t>& reference, const std::vector<int32_t>& test) {
    double signal = 0.0;
    double noise = 0.0;
    for (size_t index = 0; index < reference.size() && index < test.size(); ++index) {
        const double wanted = reference[index];
        const double difference = wanted - test[index];
        signal += wanted * wanted;
        noise += difference * difference;
    }
    if (noise == 0.0) return std::numeric_limits<double>::infinity();
    return 10.0 * std::log10(signal / noise);
}
