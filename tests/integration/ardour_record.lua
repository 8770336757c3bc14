-- ardour7-lua driver: one stereo track playing the Dummy backend's input arg[4] through the VST 2
-- plug-in named arg[2]; rolls arg[3] seconds, setting parameter 0 to 0.25 halfway from this
-- (not the audio) thread, then saves and closes. The session lives in folder arg[1].
AudioEngine:set_backend("None (Dummy)", "", "")
AudioEngine:set_device_name(arg[4])
local s = assert(create_session(arg[1] .. "/session", "session", 48000), "no session")
local track = s:new_audio_track(2, 2, nil, 1, "track", ARDOUR.PresentationInfo.max_order,
    ARDOUR.TrackMode.Normal, true):front()
track:monitoring_control():set_value(ARDOUR.MonitorChoice.MonitorInput,
    PBD.GroupControlDisposition.NoGroup)
local plugin = ARDOUR.LuaAPI.new_plugin(s, arg[2], ARDOUR.PluginType.LXVST, "")
assert(not plugin:isnil(), "no plug-in " .. arg[2])
assert(track:add_processor_by_index(plugin, 0, nil, true) == 0, "not added")
s:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
local half = math.floor(arg[3] * 500000)
ARDOUR.LuaAPI.usleep(half)
assert(ARDOUR.LuaAPI.set_processor_param(plugin, 0, 0.25), "parameter 0 not set")
ARDOUR.LuaAPI.usleep(half)
print("rolled to sample " .. s:transport_sample())
s:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(200000)
s:save_state("", false, false, false, false, false)
-- Lua's hold on tracks and plug-ins goes before the session does: a track it frees after
-- close_session() is destroyed after its engine, which crashes Ardour.
track, plugin = nil, nil
collectgarbage()
close_session()
print("closed")
