# Graph command tests.
