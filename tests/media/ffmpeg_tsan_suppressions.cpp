// ThreadSanitizer and the FFmpeg libraries of the re-encoding tests.
#if defined(__SANITIZE_THREAD__)
// FFmpeg is not built with ThreadSanitizer: its slice threads hand their work back through
// atomics it cannot see, so the bytes a slice thread wrote into a picture or a DV frame look
// unsynchronised when our thread reads them after the call. The memory calls FFmpeg makes
// itself are left out; our code's are not.
extern "C" const char *__tsan_default_suppressions()
{
    return "called_from_lib:libavcodec.so\n"
           "called_from_lib:libavutil.so\n"
           "called_from_lib:libswscale.so\n";
}
#endif
