# The downloads' time limits and cancel against servers on 127.0.0.1 that
# never answer (see support/http_test_server.py: --blackhole-port, --route,
# /silent, /headers-stall/n), natively and under Wine.
kovo_add_test(net_limits_tests THREADS TIMEOUT 300
  SOURCES installer/net_limits_test.cpp
  LIBS kovo_fake_system kovo_http_test_server)
