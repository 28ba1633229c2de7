#include "runner/UnexpectedFailure.h"

#include "sys/FileError.h"
#include "sys/Translation.h"

#include <new>

namespace ornibe {

Failure unexpectedFailure(std::exception_ptr error) {
    Failure failure;
    failure.headline = translated("予期しないエラーが起きたため、処理を中止しました。");
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        failure.reason = translated("メモリが足りません。");
    } catch (const FileError& fileError) {
        failure.path = fileError.path();
        failure.reason = fileError.reason();
    } catch (const std::exception& other) {
        failure.reason = other.what();
    } catch (...) {
        failure.reason = translated("原因のわからないエラーです。");
    }
    return failure;
}

} // namespace ornibe
